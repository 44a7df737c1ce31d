"""Checks winget manifests against winget's published JSON schemas.

Usage: validate.py SCHEMA_DIR MANIFEST.yaml...
Each manifest is checked against the schema its ManifestType and
ManifestVersion name; the exit status is 1 when any fails.
"""
import json
import sys

import jsonschema
import yaml

SCHEMAS = {"version": "version", "installer": "installer", "defaultLocale": "defaultLocale"}


def main(schema_dir, manifests):
    failed = False
    for path in manifests:
        with open(path, encoding="utf-8") as file:
            manifest = yaml.safe_load(file)
        kind = SCHEMAS.get(manifest.get("ManifestType"))
        version = manifest.get("ManifestVersion")
        if kind is None or version is None:
            print(f"{path}: no ManifestType and ManifestVersion that winget knows")
            failed = True
            continue
        schema_path = f"{schema_dir}/{version}/manifest.{kind}.{version}.json"
        with open(schema_path, encoding="utf-8") as file:
            schema = json.load(file)
        errors = sorted(jsonschema.Draft7Validator(schema).iter_errors(manifest), key=str)
        for error in errors:
            where = "/".join(str(part) for part in error.absolute_path) or "(top)"
            print(f"{path}: {where}: {error.message}")
        failed = failed or bool(errors)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
