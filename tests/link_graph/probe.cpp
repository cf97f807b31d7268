// Linked with the whole of one library and nothing else: the link only
// succeeds when the library names everything its files use, and the
// program's dynamic section shows which shared libraries that pulls in.
int main() { return 0; }
