// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The output file writer of downloads and clips: it writes the recorder
// stream as it comes, or, when the setting "DownloadVideoType" is 1 or more,
// converts it into an .mp4 file through the stream transform library.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

#include "RecordingGate.h"
#include "fallowin.h"
#include "recstream/recstream.h"
#include "recstream/stream_join.h"

// Where a new output file goes: folder + stem + extension, with " (1)",
// " (2)"... before the extension while that name is taken by a file or by
// one being written under it ("<name>.part"), so that an output never
// replaces another file. Drive paths such as "D:/Clip/" are allowed.
//
// The name is free when asked; another program (or window) saving at the
// same moment may take it before this one does. ClaimOutputPath and
// MoveToFreeOutputPath take a name in one step, which only one of them can
// win; the other then takes the next free name.
std::string FreeOutputPath(const std::string& folder, const std::string& stem, const std::string& extension);
// Claims `path`, or its first free numbered name (" (1)"... as above), for
// a new output file: creates "<name>.part", which nobody else can create
// now, where no file has the name itself. Returns the name claimed, the
// part's descriptor (open for reading and writing) in `fd`; empty when no
// part could be created (drive paths allowed).
std::string ClaimOutputPath(const std::string& path, int* fd);
// Gives the file `from` the name `to` or, where a file has that name, the
// first free numbered one: never replaces a file. The file is flushed to
// the disk before, its folder after. Returns the name given; empty when the
// file could not be flushed or moved (it stays where it was), or its new
// name not flushed (it is then removed: what is reported saved is on the
// disk). Drive paths allowed.
std::string MoveToFreeOutputPath(const std::string& from, const std::string& to);
// Whether a file of that path (drive paths allowed) can be opened.
bool OutputFileExists(const std::string& path);

// A thin wrapper round one transform of the stream transform library.
class TransformWrapper {
public:
    typedef void (*DataCallback)(DREBEN_DETAIL_DATA* record, void* user);

    TransformWrapper();
    ~TransformWrapper();  // Stop
    TransformWrapper(const TransformWrapper&) = delete;
    TransformWrapper& operator=(const TransformWrapper&) = delete;

    // Creates and starts a transform for the stream whose 40-byte header is
    // given; a non-empty key is handed to it for enciphered streams. 0 on
    // success; -1 (no transform, a debug line written) on failure.
    int Create(const uint8_t* header, uint32_t headerSize, const std::string& key);
    // Output records other than information records go to `callback`.
    void SetDataCallback(DataCallback callback, void* user);
    // 0 when the bytes were taken or no transform runs (a debug line then);
    // -1 when the transform refused them.
    int InputData(const uint8_t* data, uint32_t size);
    // Stops and frees the transform: every output record has been handed out
    // when this returns. Clears the callback.
    void Stop();

    bool IsRunning() const { return m_handle != nullptr; }
    uint64_t TotalIn() const { return m_totalIn; }
    uint64_t TotalOut() const { return m_totalOut.load(); }

private:
    static void OnDetailData(DREBEN_DETAIL_DATA* record, void* user);

    DREBEN_HANDLE m_handle = nullptr;
    std::atomic<DataCallback> m_callback{nullptr};
    std::atomic<void*> m_user{nullptr};
    uint64_t m_totalIn = 0;
    std::atomic<uint64_t> m_totalOut{0};
};

// Writes a file behind its producer: bytes gather in pieces that a thread of
// its own writes straight to the file descriptor, past the FILE's buffer, so
// reading the next block of a stream and writing the last ones overlap.
//
// A new file on a local disk is written past the page cache (O_DIRECT): the
// pieces (1 MiB, aligned) go from memory to the disk without being copied
// into the cache first; the last, partial piece goes through the cache (the
// file's owner flushes the file, CStreamFileWriter::Close). On other file systems (network,
// user-space, memory), or once a write past the cache is refused, the pieces
// (then of 256 KiB, small enough to be still in the processor's cache) go
// through the page cache.
class WriteBehind {
public:
    WriteBehind();
    ~WriteBehind();  // Finish
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // `direct`: write past the page cache on a local disk (only for a file
    // written from its start).
    void Start(FILE* file, bool direct = false);
    // Takes a copy of the bytes; false once a write has failed.
    bool Put(const uint8_t* data, size_t size);
    // Writes what is left and ends the thread; false when any write failed.
    bool Finish();
    bool Failed() const { return m_failed.load(); }

private:
    struct FreeBytes {
        void operator()(uint8_t* p) const;
    };
    struct Piece {
        std::unique_ptr<uint8_t, FreeBytes> data;   // aligned, room for m_pieceSize bytes
        size_t size = 0;
    };
    void Run();
    void QueueCurrent(std::unique_lock<std::mutex>& lock);
    Piece NewPiece();
    bool Write(const Piece& piece);
    void StopDirect();

    int m_fd = -1;
    int m_flags = 0;         // the descriptor's status flags before Start
    bool m_direct = false;   // O_DIRECT is set (changed by the thread only)
    size_t m_pieceSize = 0;
    size_t m_maxPieces = 0;  // waiting to be written at most
    std::thread m_thread;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Piece> m_full;     // waiting to be written
    std::vector<Piece> m_spare;   // written, for reuse
    Piece m_current;              // being filled
    bool m_ending = false;
    std::atomic<bool> m_failed{false};
};

// Writes one output file at a time; reused for file after file.
//
// A new file (append off) is written under a temporary name beside it
// ("<name>.part", claimed by ClaimOutputPath) and takes its name only when
// Close finished it. It never replaces a file: when another program or
// window made a file of its name meanwhile, it takes the next free one
// (" (1)"...), which Path() gives then. A file opened for appending is
// written in place.
//
// Converting, the transform's body records go straight into that file as
// they come; its head record, the last one, is then put in front of them:
// where the file system can insert whole blocks at a file's start (the head
// comes as a whole number of 4 KiB blocks), the body stays where it is on the
// disk; elsewhere it is moved back by the head's size.
//
// Threads: Open and Close on the owner's thread, Write on the stream's
// reading thread (the owner stops the stream before Close), OnTransData on
// the transform's thread.
class CStreamFileWriter {
public:
    CStreamFileWriter();
    ~CStreamFileWriter();  // Close
    CStreamFileWriter(const CStreamFileWriter&) = delete;
    CStreamFileWriter& operator=(const CStreamFileWriter&) = delete;

    // Closes any open file, then opens `path` (a path of this machine or a
    // drive path such as "D:/Video/a.mp4"). With `append` the stream is added
    // raw at the end of the file; otherwise the file is new (under the first
    // free name of `path`, see Path), and converted when "DownloadVideoType"
    // asks for it (key: the setting "SecretKey"). False when the file cannot
    // be opened.
    bool Open(const std::string& path, bool append);
    // Raw: writes the bytes and returns how many were taken. Converting: a
    // 40-byte block while no transform runs is the stream header and starts
    // the transform; every other block goes into it (blocks before the header
    // are refused). Returns the bytes taken: 0 when nothing was open, the
    // block was refused, or the write failed. Either way the bytes pass the
    // recording's gate first (see WriteHeader): the pack still open at the
    // end of a block follows with the next block, or at EndRecording.
    uint32_t Write(const uint8_t* data, uint32_t size);
    // A recording's 40-byte stream header. The first one starts the file
    // (raw: written as it is; converting: starts the transform). One that
    // comes while the file already has its header joins the next recording
    // on: raw, its times are moved onto the first recording's clock (see
    // StreamJoiner; a recording that cannot be moved keeps its own header in
    // the file); converting, it goes into the transform, which continues the
    // timeline at the recording's own start time. False when it was refused.
    //
    // Every recording passes a RecordingGate on its way in: a pack it left
    // cut at its end is dropped, and a time outside its span is repaired.
    bool WriteHeader(const uint8_t* header, uint32_t size);
    // The span (recorder seconds, both ends included) of the recordings
    // whose headers come after this call; RecordingGate::kNoTime where a
    // side is not known (only times before a recording's start are then
    // judged damaged).
    void SetSpan(int64_t start, int64_t end);
    // The recording being written has ended (its stream stopped): its last
    // pack goes into the file when it is whole. Close and the next header
    // do this too. False when the bytes could not be written.
    bool EndRecording();
    // Finishes the file: stops the transform (joining its head and body),
    // closes the file and gives it its name (`newName` when not empty, else
    // the name it was opened under; the next free one where a file has that
    // name: Path() then gives the name it took). True only when the whole
    // file was written and is on the disk under its name (the file flushed
    // before the rename, its folder after); on failure a new file is
    // removed. False when no file was open.
    bool Close(const std::string& newName = std::string());
    // Ends the file without keeping it: a new file is removed as a failed
    // one is (a file opened for appending keeps what was written).
    void Abandon();

    // The transform's output: body records are written to the file in
    // order; the head record is put in front of them.
    void OnTransData(DREBEN_DETAIL_DATA* record);

    bool IsOpen() const { return m_file != nullptr; }
    bool IsConverting() const { return m_convert; }
    // The file's name (drive paths as given): the one claimed by Open, then
    // the one Close gave it.
    const std::string& Path() const { return m_path; }
    // Raw mode: the bytes taken into the file (the last pack of a running
    // recording may still wait in the gate).
    uint64_t BytesWritten() const { return m_bytesWritten + (m_convert ? 0 : m_gate.Held()); }
    // Any write into the file or the transform failed since Open.
    bool HasFailed() const { return m_failed.load() || m_behind.Failed(); }
    // What the file received (read once its stream has stopped): whole
    // frames, the recorder time of its last whole pack and of the last whole
    // pack of the recording written last (-1: none).
    uint64_t FramesWritten() const { return m_gate.Frames(); }
    int64_t LastTime() const { return m_gate.LastTime(); }
    int64_t RecordingLastTime() const { return m_gate.RecordingLastTime(); }

private:
    static void TransHandler(DREBEN_DETAIL_DATA* record, void* user);
    bool WriteRaw(const uint8_t* data, size_t size);
    // Hands the bytes the gate let through on: into the transform, or
    // (moved by the joiner, in place, when one is joining) into the file.
    bool Pass(uint8_t* data, size_t size);
    bool FinishJoin();

    FILE* m_file = nullptr;
    std::string m_path;            // as given to Open (numbered when taken)
    uint64_t m_bytesWritten = 0;   // raw mode
    bool m_convert = false;
    uint64_t m_bodyBytes = 0;      // converting: body bytes in the file so far
    TransformWrapper m_transform;
    std::string m_key;

    bool m_append = false;
    std::string m_localPath;   // the file's name on this machine
    std::string m_writePath;   // where the bytes go until Close
    bool m_headWritten = false;
    bool m_haveHeader = false;                 // raw: the file's first header is written
    recstream::StreamHeader m_header{};        // raw: that header
    recstream::StreamJoiner m_joiner;          // raw: moves a joined recording's times
    RecordingGate m_gate;                      // every recording on its way in
    WriteBehind m_behind;                      // raw: writes the file
    std::atomic<bool> m_failed{false};
};
