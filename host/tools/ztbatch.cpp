// Placeholder until the batch program is written.
int main() { return 0; }
