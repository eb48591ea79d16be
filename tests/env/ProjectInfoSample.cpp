// A program that does nothing; the tests read the version information it carries.
int main() {
  return 0;
}
