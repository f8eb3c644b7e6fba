// Libraries in the views library's place that the main window must refuse:
// one without its entry point, and, with QUILLMERE_STUB_ENTRY, one built
// for another version of the program, whose entry point gives no factory.
#ifdef QUILLMERE_STUB_ENTRY
extern "C" void* quillmere_view_factory(int) {
  return nullptr;
}
#else
extern "C" int quillmere_views_stub_without_entry() {
  return 0;
}
#endif
