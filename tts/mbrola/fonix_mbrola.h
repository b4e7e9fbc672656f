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

/* Opens the voice database in the folder (diphones.idx, diphones.pcm; see FORMAT.md):
   0, or negative when it is missing or damaged. init_rename_MBR also takes "old new ..."
   pairs: rename (the old name is no longer accepted) and clone (both names are). */
int init_MBR(char* database);
int init_rename_MBR(char* database, char* rename, char* clone);
/* Queues lines "name ms [percent hz]...", ";" comments and "#" (flush); several lines may
   be separated by line feeds. The bytes taken, or -1 at a bad line or, outside no-error
   mode, an unknown phoneme (lastError_MBR says which). */
int write_MBR(char* lines);
/* Renders all queued lines, the last phone followed by silence. */
int flush_MBR(void);
/* Up to `wanted` samples of 16-bit mono (at getFreq_MBR Hz); 0 when none is ready. */
int read_MBR(short* samples, int wanted);
/* The same in another encoding: MBR_LIN16, MBR_LIN8 (unsigned), MBR_ULAW, MBR_ALAW. */
int readtype_MBR(void* samples, int wanted, int type);
/* Releases the voice; init_MBR is needed again. */
void close_MBR(void);
/* Discards queued lines and unread samples and clears the last error. */
int reset_MBR(void);
/* 0, or the code of the last error (FORMAT.md); its text, copied NUL-terminated. */
int lastError_MBR(void);
int lastErrorStr_MBR(char* text, int size);
/* No-error mode: unknown phonemes become silence and missing diphones are bridged with
   the phoneme's diphones to and from silence, without an error. */
void setNoError_MBR(int noError);
int getNoError_MBR(void);
/* Output rate, 4000..48000 Hz (16000 by default: the voice's own). */
void setFreq_MBR(int freq);
int getFreq_MBR(void);
/* Amplitude scale, 0..16 (1 by default). */
void setVolumeRatio_MBR(float ratio);
float getVolumeRatio_MBR(void);
/* Texts: the version; index 0 a description of the voice, 1 its phonemes (0 for others). */
int getVersion_MBR(char* text, int size);
int getDatabaseInfo_MBR(char* text, int size, int index);
/* With a parser set, read_MBR takes its phones when nothing is ready; NULL goes back to
   written lines. */
void setParser_MBR(MbrParser* parser);
/* Phones in memory: made with a name and duration, pitch points appended in order of
   position (percent 0..100; 0 is returned for a point refused), cleared, released. */
MbrPhone* init_Phone(const char* name, float ms);
void reset_Phone(MbrPhone* phone);
void close_Phone(MbrPhone* phone);
int appendf0_Phone(MbrPhone* phone, float percent, float hz);

#ifdef __cplusplus
}
#endif

#endif
