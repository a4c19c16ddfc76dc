// An empty program: linked against a headless library, it loads whatever
// that library brings along, for CheckNoWidgets.cmake to read.
int main() { return 0; }
