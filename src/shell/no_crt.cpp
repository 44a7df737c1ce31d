// The program links no C runtime, but the compiler may still call these two
// for structure copies and zeroing.
#include <stddef.h>

extern "C" void* memset(void* target, int value, size_t count) {
  unsigned char* bytes = static_cast<unsigned char*>(target);
  while (count-- > 0) {
    *bytes++ = static_cast<unsigned char>(value);
  }
  return target;
}

extern "C" void* memcpy(void* target, const void* source, size_t count) {
  unsigned char* to = static_cast<unsigned char*>(target);
  const unsigned char* from = static_cast<const unsigned char*>(source);
  while (count-- > 0) {
    *to++ = *from++;
  }
  return target;
}
