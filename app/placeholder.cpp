namespace mohr {
int placeholder() { return 0; }
} // namespace mohr
