// The call contract between the viewer and its archiver libraries.
//
// Every library exports these calls under its own prefix: the command entry is the bare
// prefix ("Unlha"), every other call is the prefix followed by the suffix named below
// ("UnlhaGetVersion"). The viewer looks each one up by name at run time; a library may omit
// any of them, and the viewer then treats that operation as failed.
//
// This header is plain C so that libraries can be written in either language. Texts passed
// back by "GetFileName" and the message buffers are Shift_JIS (CP932); archive paths,
// destination folders and command lines passed in are file-system byte strings (UTF-8).
#ifndef TOVIK_LXARCDEFINE_H
#define TOVIK_LXARCDEFINE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void *LX_HWND;     /* window handle handed to a library; may be null */
typedef void *LX_HARC;     /* archive handle returned by "OpenArchive"; null = failure */
typedef uint16_t LX_WORD;
typedef uint32_t LX_DWORD;
typedef int32_t LX_BOOL;

/* Size of the output buffer handed to the command entry, and of the name buffer of
   "GetFileName". */
#define LX_ARC_OUTPUT_SIZE 1025
#define LX_ARC_NAME_SIZE 513

/* MS-DOS attribute bits reported by "GetAttribute". */
#define LX_FA_RDONLY 0x01
#define LX_FA_HIDDEN 0x02
#define LX_FA_SYSTEM 0x04
#define LX_FA_DIREC 0x10
#define LX_FA_ARCH 0x20

/* Command entry: runs a command line (extraction); 0 = success. The output buffer receives a
   NUL-terminated message. */
typedef int32_t (*LxArcCommandProc)(LX_HWND window, const char *cmdLine, char *output, LX_DWORD size);
/* "GetVersion": the version times 100. */
typedef LX_WORD (*LxArcGetVersionProc)(void);
/* "GetRunning": non-zero while an extraction runs. */
typedef LX_BOOL (*LxArcGetRunningProc)(void);
/* "CheckArchive": non-zero when the library handles the file. */
typedef LX_BOOL (*LxArcCheckArchiveProc)(const char *path, int32_t mode);
/* "GetArchiveType": format code of the file, 0 or below = not handled. */
typedef int32_t (*LxArcGetArchiveTypeProc)(const char *path);
/* "OpenArchive": an archive handle, null on failure. */
typedef LX_HARC (*LxArcOpenArchiveProc)(LX_HWND window, const char *path, LX_DWORD mode);
/* "CloseArchive": result ignored by the viewer. */
typedef int32_t (*LxArcCloseArchiveProc)(LX_HARC arc);
/* "FindFirst": 0 = an entry is current; the info pointer is always null here. */
typedef int32_t (*LxArcFindFirstProc)(LX_HARC arc, const char *pattern, void *info);
/* "FindNext": 0 = the next entry is current, other = end. The end of a listing that stopped
   at damage is LX_ARC_END_DAMAGED (from "FindFirst" too): the entries before it are listed. */
typedef int32_t (*LxArcFindNextProc)(LX_HARC arc, void *info);
#define LX_ARC_END_DAMAGED 2
/* "GetFileName": 0 = the buffer holds the stored path of the current entry. */
typedef int32_t (*LxArcGetFileNameProc)(LX_HARC arc, char *buffer, int32_t size);
/* "GetOriginalSize", "GetCompressedSize": 32-bit byte counts (-1 when unknown). */
typedef LX_DWORD (*LxArcGetSizeProc)(LX_HARC arc);
/* "GetOriginalSizeEx", "GetCompressedSizeEx": 64-bit byte counts; non-zero = success. */
typedef LX_BOOL (*LxArcGetSizeExProc)(LX_HARC arc, int64_t *size);
/* "GetRatio": compressed / original in tenths of a percent. */
typedef LX_WORD (*LxArcGetRatioProc)(LX_HARC arc);
/* "GetDate", "GetTime": MS-DOS date and time of the entry, local time. */
typedef LX_WORD (*LxArcGetDateTimeProc)(LX_HARC arc);
/* "GetAttribute": MS-DOS attribute bits. */
typedef int32_t (*LxArcGetAttributeProc)(LX_HARC arc);
/* "GetCRC": the format's checksum of the entry. */
typedef LX_DWORD (*LxArcGetCRCProc)(LX_HARC arc);
/* "GetMethod": method text of the entry ("-lh5-", "Deflate"); 0 = success. Optional. */
typedef int32_t (*LxArcGetMethodProc)(LX_HARC arc, char *buffer, int32_t size);
/* "ExtractMem": extracts the entry named in the command line into the buffer, at most size
   bytes; stores the written size. Negative = failure, and the buffer then holds a message. */
typedef int32_t (*LxArcExtractMemProc)(LX_HWND window, const char *cmdLine, uint8_t *buffer, LX_DWORD size,
                                       void *time, LX_WORD *attr, LX_DWORD *written);

/* "SetListProgress" (optional): from now on, the calling thread's "OpenArchive" calls proc
   every so often while they list, with the number of entries listed so far; a non-zero answer
   stops the listing and that open fails. A null proc switches it off. */
typedef int32_t (*LxArcListProgressProc)(void *user, int32_t listed);
typedef void (*LxArcSetListProgressProc)(LxArcListProgressProc proc, void *user);

/* "ExtractEach": decodes the entries of an open archive at the given positions (0-based, in
   listing order counting every entry, ascending), in one pass where the format allows. For
   each entry the library calls proc with LX_EACH_BEGIN (size is LX_EACH_SPARSE for an entry
   whose holes take no room, else 0; proc answers LX_EACH_TAKE, LX_EACH_SKIP or LX_EACH_STOP),
   then LX_EACH_DATA with the decoded bytes in order, or LX_EACH_HOLE (data NULL) for size zero
   bytes of a hole that may be left unwritten (proc answers LX_EACH_TAKE to go on or
   LX_EACH_STOP), then LX_EACH_DONE, or LX_EACH_FAILED with the CP932 message as data. An entry that cannot be decoded at all gets LX_EACH_FAILED
   without LX_EACH_BEGIN. Answers 0 when every entry was handed on, 1 when proc stopped the
   run, negative for a bad handle or positions. Optional. */
#define LX_EACH_BEGIN 0
#define LX_EACH_DATA 1
#define LX_EACH_DONE 2
#define LX_EACH_FAILED 3
#define LX_EACH_HOLE 4
#define LX_EACH_SPARSE 1
#define LX_EACH_TAKE 0
#define LX_EACH_SKIP 1
#define LX_EACH_STOP (-1)
typedef int32_t (*LxArcEachProc)(void *user, uint32_t position, int32_t event, const uint8_t *data, LX_DWORD size);
typedef int32_t (*LxArcExtractEachProc)(LX_HARC arc, const uint32_t *positions, uint32_t count, LxArcEachProc proc,
                                        void *user);

/* Suffixes of the exported names. */
#define LX_ARC_GETVERSION "GetVersion"
#define LX_ARC_GETRUNNING "GetRunning"
#define LX_ARC_CHECKARCHIVE "CheckArchive"
#define LX_ARC_GETARCHIVETYPE "GetArchiveType"
#define LX_ARC_OPENARCHIVE "OpenArchive"
#define LX_ARC_CLOSEARCHIVE "CloseArchive"
#define LX_ARC_FINDFIRST "FindFirst"
#define LX_ARC_FINDNEXT "FindNext"
#define LX_ARC_GETFILENAME "GetFileName"
#define LX_ARC_GETORIGINALSIZE "GetOriginalSize"
#define LX_ARC_GETCOMPRESSEDSIZE "GetCompressedSize"
#define LX_ARC_GETORIGINALSIZEEX "GetOriginalSizeEx"
#define LX_ARC_GETCOMPRESSEDSIZEEX "GetCompressedSizeEx"
#define LX_ARC_GETRATIO "GetRatio"
#define LX_ARC_GETDATE "GetDate"
#define LX_ARC_GETTIME "GetTime"
#define LX_ARC_GETATTRIBUTE "GetAttribute"
#define LX_ARC_GETCRC "GetCRC"
#define LX_ARC_GETMETHOD "GetMethod"
#define LX_ARC_EXTRACTMEM "ExtractMem"
#define LX_ARC_SETLISTPROGRESS "SetListProgress"
#define LX_ARC_EXTRACTEACH "ExtractEach"

#ifdef __cplusplus
}
#endif

#endif
