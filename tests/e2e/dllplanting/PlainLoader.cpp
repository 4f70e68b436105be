// The control: loads each DLL named on the command line by its bare name,
// the way a careless program would. Exit code: how many failed to load.
#include <windows.h>

int main(int argc, char** argv) {
  int failed = 0;
  for (int i = 1; i < argc; ++i)
    if (!LoadLibraryA(argv[i])) ++failed;
  return failed;
}
