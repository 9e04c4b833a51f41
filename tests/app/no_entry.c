/* A library that is no plug-in: it exports no entry, for the loader's error path. */
int vantiro_test_not_an_entry(void) { return 0; }
