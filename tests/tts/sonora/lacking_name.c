/* Test library: exports 22 of the 23 synthesizer names (appendf0_Phone is left out), so the
   engine must refuse it. Every call fails, should the engine ever make one. */
#include <stddef.h>

int init_MBR(char* d) { (void)d; return -1; }
int init_rename_MBR(char* d, char* r, char* c) { (void)d; (void)r; (void)c; return -1; }
int write_MBR(char* l) { (void)l; return -1; }
int flush_MBR(void) { return -1; }
int read_MBR(short* s, int n) { (void)s; (void)n; return 0; }
int readtype_MBR(void* s, int n, int t) { (void)s; (void)n; (void)t; return 0; }
void close_MBR(void) {}
int reset_MBR(void) { return -1; }
int lastError_MBR(void) { return 1; }
int lastErrorStr_MBR(char* t, int n) { if (t && n > 0) t[0] = 0; return 0; }
void setNoError_MBR(int e) { (void)e; }
int getNoError_MBR(void) { return 0; }
void setFreq_MBR(int f) { (void)f; }
int getFreq_MBR(void) { return 16000; }
void setVolumeRatio_MBR(float v) { (void)v; }
float getVolumeRatio_MBR(void) { return 1.0f; }
int getVersion_MBR(char* t, int n) { if (t && n > 0) t[0] = 0; return 0; }
int getDatabaseInfo_MBR(char* t, int n, int i) { (void)i; if (t && n > 0) t[0] = 0; return 0; }
void setParser_MBR(void* p) { (void)p; }
void* init_Phone(const char* n, float l) { (void)n; (void)l; return NULL; }
void reset_Phone(void* p) { (void)p; }
void close_Phone(void* p) { (void)p; }
