// A small library the tests load by its Windows name.
extern "C" {

__attribute__((visibility("default"))) int sample_add(int a, int b) { return a + b; }

// Exported as ordinal 7.
__attribute__((visibility("default"))) int suite_ordinal_7() { return 7; }

// Looked up by its decorated name "_Demo@8".
__attribute__((visibility("default"))) int Demo(int a, int b) { return a * b; }

}
