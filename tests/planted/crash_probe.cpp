// Crashes at once, as a faulty test program would: a write to address 0,
// through a pointer the compiler cannot see is null (argc is 1).
#include <cstdint>

int main(int argc, char**) {
  volatile int* nowhere = reinterpret_cast<volatile int*>(static_cast<std::uintptr_t>(argc - 1));
  *nowhere = 1;
  return 0;
}
