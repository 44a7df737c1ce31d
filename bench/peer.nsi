; The peer: the same job written as an NSIS script, as plug-in authors who do
; not ship a setup program of their own write it. bench/run compiles it with
;   makensis -DTARGET=amd64-unicode -DPACKAGE=<package folder> -DOUTFILE=<exe>
Unicode true
Target ${TARGET}
Name "Tavrick Plugin (for Pocket PC)"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
InstallDirRegKey HKLM "SOFTWARE\NSIS" ""
DirText "Choose NSIS directory:"

Page directory
Page instfiles

; The directory page's Next works only on a folder that holds makensis.exe.
Function .onVerifyInstDir
  IfFileExists "$INSTDIR\makensis.exe" +2
    Abort
FunctionEnd

Section
  SetOutPath "$INSTDIR\Docs\Tavrick"
  File "${PACKAGE}/Readme.txt"
  SetOutPath "$INSTDIR\Examples\Tavrick"
  File "${PACKAGE}/Example/TavrickTest.nsi"
  SetOutPath "$INSTDIR\Include"
  File "${PACKAGE}/Include/Tavrick.nsh"
  SetOutPath "$INSTDIR\Plugins"
  File "${PACKAGE}/Plugin/Tavrick.dll"
SectionEnd
