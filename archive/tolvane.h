/*
 * tolvane.h -- interface of tolvane.dll, a library for reading and changing
 * IMG archives.
 *
 * An archive is either a pair of files (NAME.img holding entry data and
 * NAME.dir holding the directory) or a single NAME.img that begins with the
 * header "VER2", an entry count and the directory.  Offsets and sizes are
 * counted in sectors of 2048 bytes.
 *
 * The library keeps one open archive in process-wide state.  Call IMGLoadImg
 * first; every other function works on the archive that the last IMGLoadImg
 * opened.  Calls must not overlap: call from one thread at a time.  No file
 * stays open between calls.
 *
 * Failures.  No function returns an error code.  A failing call ends with a
 * Windows structured exception, code TOLVANE_EXCEPTION_CODE, non-continuable,
 * whose ExceptionInformation[0] points to the zero-terminated message.  The
 * message of the most recent call is also available from IMGGetLastError.
 * Before the exception is raised every file the call opened is closed and all
 * memory it took is released; what the call changed before the failure stays
 * changed.
 *
 * Paths are zero-terminated 8-bit strings in the system ANSI code page; a
 * null path counts as the empty path.  An index is a 0-based entry number.
 */
#ifndef TOLVANE_H
#define TOLVANE_H

#include <stdint.h>

#if defined(_WIN32)
#define TOLVANE_CALL __stdcall
#else
#define TOLVANE_CALL
#endif

#define TOLVANE_SECTOR_SIZE 2048
#define TOLVANE_MAX_ENTRIES 65536
#define TOLVANE_EXCEPTION_CODE 0xE0544C56u

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)
/* One directory record, 32 bytes, little-endian. */
typedef struct TImgEntry {
    uint32_t offset;  /* first sector of the entry's data in the .img */
    uint32_t size;    /* number of sectors the data takes */
    char name[24];    /* zero-terminated unless all 24 bytes are used */
} TImgEntry;

/* Header of a single-file archive, 8 bytes, little-endian. */
typedef struct TImgHeader {
    char magic[4];    /* "VER2", no terminator */
    int32_t count;    /* number of TImgEntry records that follow */
} TImgHeader;
#pragma pack(pop)

/* Compile-time size checks: a negative array size fails the build. */
typedef char tolvane_check_entry_size[sizeof(TImgEntry) == 32 ? 1 : -1];
typedef char tolvane_check_header_size[sizeof(TImgHeader) == 8 ? 1 : -1];

/* ---- Opening ---------------------------------------------------------- */

/* Opens the archive named by path; its extension does not matter, NAME.dir and
 * NAME.img are derived from it.  When NAME.dir exists the paired layout is
 * used, otherwise NAME.img is read as a single-file archive.  Clears the
 * read-only, hidden and system attributes of both files.  Never fails: a file
 * that cannot be read leaves the count at 0 (paired) or at the count of the
 * last header seen (single-file).  The result has no meaning. */
int32_t TOLVANE_CALL IMGLoadImg(const char *path);

/* ---- The directory in memory ------------------------------------------ */

/* Number of entries of the open archive, 0 to 65536. */
int32_t TOLVANE_CALL IMGFileCount(void);

/* Copies the 32 bytes of record index into destination, which the caller
 * owns.  An index outside 0..65535 gives 32 zero bytes. */
void TOLVANE_CALL IMGGetThisFile(TImgEntry *destination, int32_t index);

/* Overwrites record index with 32 bytes from source, in memory only; the
 * change is stored by the next directory rewrite.  The count does not change.
 * An index outside 0..65535 does nothing. */
void TOLVANE_CALL IMGSetThisFile(int32_t index, const TImgEntry *source);

/* Pointer to the 24-byte name field of record index, owned by the library and
 * valid while it is loaded.  A name of 24 characters has no terminator: read
 * at most 24 bytes.  An index outside 0..65535 gives an empty string. */
const char *TOLVANE_CALL IMGGetFileName(int32_t index);

/* ---- Taking data out ---------------------------------------------------- */

/* Writes the data of entry index, size x 2048 bytes, to a file at targetPath,
 * created or emptied; bytes that lie beyond the end of the .img are zero.  The
 * target is created only after the data has been read, so a failure before
 * that leaves an existing file untouched.
 * Fails with "Entry index %d out of range" (index outside 0..65535), "Cannot
 * open file %s" (the .img), "Out of memory", "Cannot create file %s" (the
 * target as passed) or "Stream write error" (the target is then incomplete). */
void TOLVANE_CALL IMGExportFile(int32_t index, const char *targetPath);

/* Reads the data of entry index into buffer, which the caller owns and which
 * must hold size x 2048 bytes (see IMGGetThisFile).  Where the entry reaches
 * past the end of the .img, the rest of the buffer keeps what it held.
 * Fails with "Entry index %d out of range" or "Cannot open file %s". */
void TOLVANE_CALL IMGExportBuffer(int32_t index, void *buffer);

/* ---- Writing data ----------------------------------------------------- */

/* Puts the contents of the file at sourcePath into entry index and rewrites
 * the stored directory (IMGReDoDir).  The data takes the smallest number of
 * whole sectors strictly greater than its length (2048 bytes take 2).  It
 * stays in the entry's slot, which is zero-filled first, when the slot is at
 * least that large; otherwise, or when the low byte of forceAppend is 1, it
 * goes to the first sector boundary at or after the end of the .img.  A slot
 * given up is not reused.  Progress notes go to OutputDebugStringA.
 * A missing source (none, a folder, or a last-write time that is no DOS date)
 * changes nothing and is not reported.  The source is only read.
 * Fails with "Entry index %d out of range" (index outside 0..count-1, nothing
 * changes), "Cannot open file %s" (a source that cannot be read in full, or
 * the .img: nothing changes), "Out of memory", "Stream write error", or a
 * failure of the directory rewrite (the entry has then changed in memory). */
void TOLVANE_CALL IMGReplaceFile(int32_t index, const char *sourcePath, uint32_t forceAppend);

/* Adds the file at sourcePath as a new last entry, named by the part of the
 * path after its last '\' or ':' (at most 23 characters), and appends its
 * data as IMGReplaceFile with forceAppend 1 does.  The count rises first: when
 * the source is missing or the replace fails, the new entry stays with offset
 * 0 and size 0.  Fails with "Directory is full" (65536 entries; nothing
 * changes) or as IMGReplaceFile. */
void TOLVANE_CALL IMGAddFile(const char *sourcePath);

/* ---- Storing the directory -------------------------------------------- */

/* Writes the directory in memory to disk.  Paired layout: the new NAME.dir is
 * written beside the old one and then takes its place.  Single-file layout:
 * every data block that the header and directory would reach is first moved
 * to the end of the .img (its size grows by one sector), through a scratch
 * file in the temporary folder that is deleted afterwards; then "VER2", the
 * count and the records are written at the start of the .img.
 * Fails with "Cannot create file %s" (a .dir that is read-only or held open
 * elsewhere; it stays unchanged), "Cannot open file %s" (the .img),
 * "Stream write error", or a failure of moving a block. */
void TOLVANE_CALL IMGReDoDir(void);

/* ---- Removing entries -------------------------------------------------- */

/* Takes entry index out of the directory in memory; the entries after it move
 * down one place.  The entry's data stays in the .img, used by no entry.  An
 * index outside 0..IMGFileCount()-1 does nothing.  Nothing is written to
 * disk. */
void TOLVANE_CALL IMGRemoveFile(int32_t index);

/* IMGRemoveFile, then IMGReDoDir -- the rewrite runs also when nothing was
 * removed.  Fails as IMGReDoDir; the removal in memory then stays. */
void TOLVANE_CALL IMGDelete(int32_t index);

/* ---- Space ------------------------------------------------------------- */

/* Percentage of the .img's sectors (less header and directory in the
 * single-file layout) that the entries' sizes do not account for, truncated
 * toward zero; negative when entries overlap or reach past the end.  0 when
 * the .img is missing or has no sectors beyond the directory.  Reads only the
 * file's length; works on read-only files. */
int32_t TOLVANE_CALL IMGHowMuchFragmented(void);

/* Not implemented: shows the message "Not impl." in a modal box (caption
 * "tolvane", no owner) and returns when it is dismissed.  Changes nothing.
 * The argument is not used. */
void TOLVANE_CALL IMGDefrag(int32_t unused);

/* ---- Failures --------------------------------------------------------- */

/* Message of the most recent call if it failed, an empty string if it
 * succeeded.  Owned by the library, valid until the next call. */
const char *TOLVANE_CALL IMGGetLastError(void);

/* Chooses how failures reach the host.  Nonzero (the default): a failing call
 * raises the structured exception described above.  0: a failing call returns
 * normally (a zero result where there is one) after the same partial changes,
 * and its message is available from IMGGetLastError -- for hosts that cannot
 * survive a structured exception.  Returns the previous setting (1 or 0). */
int32_t TOLVANE_CALL IMGSetRaiseOnError(int32_t raise);

#ifdef __cplusplus
}
#endif

#endif /* TOLVANE_H */
