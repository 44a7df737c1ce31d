// Crashes at once, as a faulty test program would: a write through a null
// pointer that the compiler cannot see coming.
int main() {
  int* volatile nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
