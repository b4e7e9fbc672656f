/* The C interface of libfonix-mbrola: the 23 MBROLA-compatible names, for the library that
   exports them and for programs that load it at run time. */
#ifndef FONIX_MBROLA_H
#define FONIX_MBROLA_H

#ifdef __cplusplus
extern "C" {
#endif

/* A phone built in memory (the phone API), for programs that hand phones to a parser. */
typedef struct MbrPhone MbrPhone;
/* A source of phones read instead of written lines: next() returns the next phone, owned by
   the parser, or NULL when it has no more; a phone named "#" ends an utterance. */
typedef struct MbrParser {
  void* user;
  MbrPhone* (*next)(void* user);
} MbrParser;

/* Sample encodings of readtype_MBR. */
enum { MBR_LIN16 = 0, MBR_LIN8 = 1, MBR_ULAW = 2, MBR_ALAW = 3 };

int init_MBR(char* database);
int init_rename_MBR(char* database, char* rename, char* clone);
int write_MBR(char* lines);
int flush_MBR(void);
int read_MBR(short* samples, int wanted);
int readtype_MBR(void* samples, int wanted, int type);
void close_MBR(void);
int reset_MBR(void);
int lastError_MBR(void);
int lastErrorStr_MBR(char* text, int size);
void setNoError_MBR(int noError);
int getNoError_MBR(void);
void setFreq_MBR(int freq);
int getFreq_MBR(void);
void setVolumeRatio_MBR(float ratio);
float getVolumeRatio_MBR(void);
int getVersion_MBR(char* text, int size);
int getDatabaseInfo_MBR(char* text, int size, int index);
void setParser_MBR(MbrParser* parser);
MbrPhone* init_Phone(const char* name, float ms);
void reset_Phone(MbrPhone* phone);
void close_Phone(MbrPhone* phone);
int appendf0_Phone(MbrPhone* phone, float percent, float hz);

#ifdef __cplusplus
}
#endif

#endif
