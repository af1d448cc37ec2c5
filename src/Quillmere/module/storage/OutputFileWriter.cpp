// SPDX-License-Identifier: GPL-3.0-or-later
#include "OutputFileWriter.h"

#include <QDebug>
#include <QString>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Settings.h"
#include "savefile/savefile.h"
#include "wincompat/drives.h"
#include "KelLogging.h"

namespace {

constexpr uint32_t kStreamHeaderSize = 40;
constexpr size_t kMovePiece = 512u << 10;

void Debug(const QString& line) { qCDebug(lcKelStorage).noquote() << line; }

// The whole of `size` bytes at `offset` (or at the file's end with a
// negative offset); false on a failure.
bool WriteFully(int fd, const uint8_t* data, size_t size, int64_t offset = -1) {
    while (size > 0) {
        const ssize_t n = offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
        if (offset >= 0) offset += n;
    }
    return true;
}

bool ReadFully(int fd, uint8_t* data, size_t size, int64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
    return true;
}

// Puts the container's head in front of the `body` bytes the file holds from
// its start. Where the file system inserts whole blocks at a file's start
// (the head is a whole number of blocks), the body stays where it lies on
// the disk; elsewhere it is moved back by the head's size, from its end on.
//
// The file grows only by writing at its end: some file systems (FAT through
// a user-space driver) refuse a write that starts past the end, or lose the
// bytes of one that starts inside and runs past it. So the room for the
// head is first added as zeros at the end, and every move lands inside.
bool PlaceHead(int fd, const uint8_t* head, size_t headSize, uint64_t body) {
    if (headSize == 0) return true;
    bool inserted = false;
#ifdef FALLOC_FL_INSERT_RANGE
    inserted = body > 0 && ::fallocate(fd, FALLOC_FL_INSERT_RANGE, 0, static_cast<off_t>(headSize)) == 0;
#endif
    if (!inserted) {
        const std::vector<uint8_t> zeros(std::min<size_t>(kMovePiece, headSize), 0);
        for (uint64_t at = body; at < body + headSize;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(zeros.size(), body + headSize - at));
            if (!WriteFully(fd, zeros.data(), n, static_cast<int64_t>(at))) return false;
            at += n;
        }
        std::vector<uint8_t> piece(static_cast<size_t>(std::min<uint64_t>(kMovePiece, body)));
        for (uint64_t end = body; end > 0;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(piece.size(), end));
            const uint64_t from = end - n;
            if (!ReadFully(fd, piece.data(), n, static_cast<int64_t>(from)) ||
                !WriteFully(fd, piece.data(), n, static_cast<int64_t>(from + headSize)))
                return false;
            end = from;
        }
    }
    return WriteFully(fd, head, headSize, 0);
}

}  // namespace

bool OutputFileExists(const std::string& path) {
    const std::string local = wincompat::MapPath(path);
    if (local.empty()) return false;
    FILE* f = std::fopen(local.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

namespace {

// Anything of that name, also a file that cannot be read or a link that
// leads nowhere, takes it.
bool LocalNameTaken(const std::string& local) {
    struct stat st {};
    return ::lstat(local.c_str(), &st) == 0;
}

bool NameTaken(const std::string& path) {
    const std::string local = wincompat::MapPath(path);
    return !local.empty() && (LocalNameTaken(local) || LocalNameTaken(local + ".part"));
}

}  // namespace

std::string FreeOutputPath(const std::string& folder, const std::string& stem, const std::string& extension) {
    const std::string path = folder + stem + extension;
    std::string free = path;
    for (int n = 1; NameTaken(free); ++n) free = savefile::NumberedPath(path, n);
    return free;
}

std::string ClaimOutputPath(const std::string& path, int* fd) {
    *fd = -1;
    return savefile::TakeFreeName(path, [fd](const std::string& candidate) {
        const std::string local = wincompat::MapPath(candidate);
        if (local.empty()) {
            errno = ENOENT;
            return false;
        }
        if (LocalNameTaken(local)) {
            errno = EEXIST;
            return false;
        }
        *fd = savefile::CreateNew(local + ".part");
        return *fd >= 0;
    });
}

std::string MoveToFreeOutputPath(const std::string& from, const std::string& to) {
    const std::string local = wincompat::MapPath(from);
    // Its bytes are on the disk before it has the name.
    if (local.empty() || !savefile::SyncFileAt(local)) return std::string();
    std::string target;
    const std::string taken = savefile::TakeFreeName(to, [&](const std::string& candidate) {
        target = wincompat::MapPath(candidate);
        if (target.empty()) {
            errno = ENOENT;
            return false;
        }
        return savefile::RenameNoReplace(local, target);
    });
    if (taken.empty()) return std::string();
    // And the name is, before it is reported: a file that may be gone after
    // a power cut is no saved file.
    if (!savefile::SyncFolderOf(target)) {
        std::remove(target.c_str());
        return std::string();
    }
    return taken;
}

// ---- TransformWrapper ----------------------------------------------------------

TransformWrapper::TransformWrapper() = default;

TransformWrapper::~TransformWrapper() { Stop(); }

int TransformWrapper::Create(const uint8_t* header, uint32_t headerSize, const std::string& key) {
    Stop();
    m_totalIn = 0;
    m_totalOut = 0;
    DREBEN_CREATE_PARAM param{};
    param.header = header;
    param.headerSize = headerSize;
    param.targetType = DREBEN_TARGET_MP4;
    DREBEN_HANDLE handle = nullptr;
    DREBEN_STATUS st = DREBEN_Create(&handle, &param);
    if (st != DREBEN_OK) {
        Debug(QString::asprintf("DREBEN_Create Fail, error:%x", st));
        m_handle = nullptr;
        return -1;
    }
    auto fail = [&](const char* format) {
        Debug(QString::asprintf(format, st));
        DREBEN_Release(handle);
        m_handle = nullptr;
        return -1;
    };
    if (!key.empty()) {
        st = DREBEN_SetEncryptKey(handle, DREBEN_KEY_RECORDER, key.data(), static_cast<uint32_t>(key.size() * 8));
        if (st != DREBEN_OK) return fail("DREBEN_SetEncryptKey Fail,  error:%x");
    }
    st = DREBEN_RegisterDetailDataCallBack(handle, &TransformWrapper::OnDetailData, this);
    if (st != DREBEN_OK) return fail("DREBEN_RegisterDetailDataCallBack Fail,  error:%x");
    st = DREBEN_Start(handle, nullptr, nullptr);
    if (st != DREBEN_OK) return fail("DREBEN_Start Fail,  error:%x");
    m_handle = handle;
    return 0;
}

void TransformWrapper::SetDataCallback(DataCallback callback, void* user) {
    m_user.store(user);
    m_callback.store(callback);
}

int TransformWrapper::InputData(const uint8_t* data, uint32_t size) {
    if (!m_handle) {
        Debug(QStringLiteral("InputData, not start(handle is null)!"));
        return 0;
    }
    m_totalIn += size;
    const DREBEN_STATUS st = DREBEN_InputData(m_handle, DREBEN_INPUT_STREAM, data, size);
    if (st != DREBEN_OK) {
        Debug(QString::asprintf("DREBEN_InputData error:0x%x, Total:%llu, size:%u", st,
                                static_cast<unsigned long long>(m_totalIn), size));
        return -1;
    }
    return 0;
}

void TransformWrapper::Stop() {
    m_totalIn = 0;
    m_totalOut = 0;
    if (m_handle) {
        DREBEN_Stop(m_handle);
        DREBEN_Release(m_handle);
        m_handle = nullptr;
    }
    m_callback.store(nullptr);
    m_user.store(nullptr);
}

void TransformWrapper::OnDetailData(DREBEN_DETAIL_DATA* record, void* user) {
    TransformWrapper* self = static_cast<TransformWrapper*>(user);
    if (!self || !record) {
        Debug(QStringLiteral("pTrans == NULL || pDataInfo == NULL"));
        return;
    }
    const DataCallback callback = self->m_callback.load();
    if (!callback) return;
    switch (record->dataType) {
    case DREBEN_DATA_PROGRESS:
    case DREBEN_DATA_STREAM_INFO:
    case DREBEN_DATA_END: return;  // not part of the file
    default: break;
    }
    self->m_totalOut += record->dataLength;
    callback(record, self->m_user.load());
}

// ---- WriteBehind -------------------------------------------------------------------

namespace {
constexpr size_t kAlign = 4096;
constexpr size_t kDirectPiece = 1u << 20;
constexpr size_t kCachedPiece = 256u << 10;
constexpr size_t kBehindBytes = 8u << 20;   // waiting to be written at most

// File systems of local disks, where writing past the page cache is the
// plain way to the disk. Network and user-space file systems (and memory)
// keep the cache: past it, each write there waits for a round trip.
bool LocalDiskFileSystem(int fd) {
    struct statfs fs {};
    if (fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0xEF53:       // ext2, ext3, ext4
    case 0x58465342:   // xfs
    case 0x9123683E:   // btrfs
    case 0xF2F52010:   // f2fs
    case 0x4D44:       // vfat, msdos
    case 0x2011BAB0:   // exfat
        return true;
    default: return false;
    }
}

}  // namespace

void WriteBehind::FreeBytes::operator()(uint8_t* p) const { std::free(p); }

WriteBehind::WriteBehind() = default;

WriteBehind::~WriteBehind() { Finish(); }

void WriteBehind::Start(FILE* file, bool direct) {
    Finish();
    m_fd = file ? fileno(file) : -1;
    m_failed = false;
    m_ending = false;
    m_flags = m_fd >= 0 ? fcntl(m_fd, F_GETFL) : -1;
    m_direct = direct && m_flags >= 0 && !(m_flags & O_APPEND) && LocalDiskFileSystem(m_fd) &&
               fcntl(m_fd, F_SETFL, m_flags | O_DIRECT) == 0;
    m_pieceSize = m_direct ? kDirectPiece : kCachedPiece;
    m_maxPieces = kBehindBytes / m_pieceSize;
    m_current = NewPiece();
    m_thread = std::thread([this] { Run(); });
}

WriteBehind::Piece WriteBehind::NewPiece() {
    Piece piece;
    void* p = nullptr;
    if (posix_memalign(&p, kAlign, kDirectPiece) == 0) piece.data.reset(static_cast<uint8_t*>(p));
    return piece;
}

void WriteBehind::QueueCurrent(std::unique_lock<std::mutex>& lock) {
    m_changed.wait(lock, [this] { return m_full.size() < m_maxPieces || m_failed.load(); });
    Piece next;
    if (!m_spare.empty()) {
        next = std::move(m_spare.back());
        m_spare.pop_back();
    } else {
        next = NewPiece();
    }
    next.size = 0;
    m_full.push_back(std::move(m_current));
    m_current = std::move(next);
    m_changed.notify_all();
}

bool WriteBehind::Put(const uint8_t* data, size_t size) {
    if (!m_thread.joinable() || m_failed.load()) return false;
    while (size > 0) {
        if (!m_current.data) {
            m_failed = true;   // no memory for a piece
            return false;
        }
        const size_t n = std::min(size, m_pieceSize - m_current.size);
        std::memcpy(m_current.data.get() + m_current.size, data, n);
        m_current.size += n;
        data += n;
        size -= n;
        if (m_current.size == m_pieceSize) {
            std::unique_lock<std::mutex> lock(m_lock);
            QueueCurrent(lock);
        }
    }
    return !m_failed.load();
}

bool WriteBehind::Finish() {
    if (!m_thread.joinable()) return !m_failed.load();
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (m_current.size > 0) QueueCurrent(lock);
        m_ending = true;
        m_changed.notify_all();
    }
    m_thread.join();
    StopDirect();
    m_full.clear();
    m_spare.clear();
    m_current = Piece();
    m_fd = -1;
    return !m_failed.load();
}

void WriteBehind::StopDirect() {
    if (!m_direct) return;
    m_direct = false;
    fcntl(m_fd, F_SETFL, m_flags);
}

bool WriteBehind::Write(const Piece& piece) {
    // Only whole aligned pieces go past the cache (the file's end is no
    // whole block).
    if (m_direct && piece.size % kAlign != 0) StopDirect();
    const uint8_t* data = piece.data.get();
    size_t left = piece.size;
    while (left > 0) {
        const ssize_t n = ::write(m_fd, data, left);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EINVAL && m_direct) {
            // The file system refuses writes past the cache after all.
            StopDirect();
            continue;
        }
        if (n <= 0) return false;
        data += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

void WriteBehind::Run() {
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_full.empty() || m_ending; });
        if (m_full.empty()) return;
        Piece piece = std::move(m_full.front());
        m_full.pop_front();
        lock.unlock();
        if (!m_failed.load() && !Write(piece)) m_failed = true;
        lock.lock();
        m_spare.push_back(std::move(piece));
        m_changed.notify_all();
    }
}

// ---- CStreamFileWriter ------------------------------------------------------------

CStreamFileWriter::CStreamFileWriter() = default;

CStreamFileWriter::~CStreamFileWriter() { Close(); }

bool CStreamFileWriter::Open(const std::string& path, bool append) {
    Close();
    std::string name = path;
    FILE* file = nullptr;
    if (append) {
        const std::string local = wincompat::MapPath(path);
        if (!local.empty()) file = fopen(local.c_str(), "ab+");
    } else {
        // The name is ours from here on: a second download or clip of the
        // same name, in this program or another, is written beside it.
        int fd = -1;
        name = ClaimOutputPath(path, &fd);
        if (!name.empty()) {
            file = fdopen(fd, "wb+");
            if (!file) {
                ::close(fd);
                std::remove((wincompat::MapPath(name) + ".part").c_str());
            }
        }
    }
    if (!file) return false;
    const std::string local = wincompat::MapPath(name);
    const std::string writePath = append ? local : local + ".part";

    m_file = file;
    m_path = name;
    m_localPath = local;
    m_writePath = writePath;
    m_append = append;
    m_bytesWritten = 0;
    m_bodyBytes = 0;
    m_headWritten = false;
    m_haveHeader = false;
    m_failed = false;
    m_gate.ResetCounts();
    // The key also serves raw files: enciphered recordings joined into one
    // file are enciphered again on the first recording's terms.
    m_key = CSettingsStore::GetInstance()->GetValueText(SettingKey::SecretKey).toStdString();
    if (append) {
        m_behind.Start(m_file);
        return true;
    }

    bool ok = false;
    const int videoType =
        CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadVideoType).trimmed().toInt(&ok);
    m_convert = ok && videoType >= 1;
    // A new file goes to the disk past the page cache where it can.
    m_behind.Start(m_file, true);
    return true;
}

uint32_t CStreamFileWriter::Write(const uint8_t* data, uint32_t size) {
    if (!m_file || !data || size == 0) return 0;
    if (!m_convert) return m_gate.Feed(data, size, [this](uint8_t* d, size_t n) { return Pass(d, n); }) ? size : 0;
    if (size == kStreamHeaderSize && !m_transform.IsRunning()) {
        if (m_transform.Create(data, size, m_key) != 0) return 0;
        m_transform.SetDataCallback(&CStreamFileWriter::TransHandler, this);
        recstream::StreamHeader header;
        const bool parsed = recstream::ParseHeader(data, size, &header);
        m_gate.Begin(parsed ? &header : nullptr);
        return size;
    }
    if (!m_transform.IsRunning()) {
        m_transform.InputData(data, size);  // refused: no header yet
        return 0;
    }
    if (!m_gate.Feed(data, size, [this](uint8_t* d, size_t n) { return Pass(d, n); })) return 0;
    return size;
}

bool CStreamFileWriter::Pass(uint8_t* data, size_t size) {
    if (m_convert) {
        if (m_transform.InputData(data, static_cast<uint32_t>(size)) != 0) {
            m_failed = true;
            return false;
        }
        return true;
    }
    return m_joiner.Active()
               ? m_joiner.FeedInPlace(data, size, [this](const uint8_t* d, size_t n) { return WriteRaw(d, n); })
               : WriteRaw(data, size);
}

void CStreamFileWriter::SetSpan(int64_t start, int64_t end) { m_gate.SetSpan(start, end); }

bool CStreamFileWriter::EndRecording() {
    if (!m_file) return false;
    if (m_convert && !m_transform.IsRunning()) return true;
    return m_gate.End([this](uint8_t* d, size_t n) { return Pass(d, n); });
}

bool CStreamFileWriter::WriteHeader(const uint8_t* header, uint32_t size) {
    if (!m_file || !header || size != kStreamHeaderSize) return false;
    // The recording before it ends here: what it left cut never reaches the
    // file, where it would swallow the start of this one.
    EndRecording();
    recstream::StreamHeader next;
    const bool parsed = recstream::ParseHeader(header, size, &next);
    if (m_convert) {
        if (!m_transform.IsRunning()) return Write(header, size) == size;
        // A recording joined on: the transform takes its header in the
        // stream and goes on at its start time.
        if (m_transform.InputData(header, size) != 0) {
            m_failed = true;
            return false;
        }
        m_gate.Begin(parsed ? &next : nullptr);
        return true;
    }
    if (!FinishJoin()) return false;
    if (!m_haveHeader) {
        m_haveHeader = parsed && BytesWritten() == 0;
        if (m_haveHeader) m_header = next;
        m_gate.Begin(parsed ? &next : nullptr);
        return WriteRaw(header, size);
    }
    m_gate.Begin(parsed ? &next : nullptr);
    if (parsed && m_joiner.Begin(m_header, next, m_key)) return true;
    // Kept as it came, with its own header: nothing of it is lost.
    Debug(QStringLiteral("CStreamFileWriter: a joined recording keeps its own header"));
    return WriteRaw(header, size);
}

bool CStreamFileWriter::WriteRaw(const uint8_t* data, size_t size) {
    if (!m_behind.Put(data, size)) {
        m_failed = true;
        return false;
    }
    m_bytesWritten += size;
    return true;
}

bool CStreamFileWriter::FinishJoin() {
    if (!m_joiner.Active()) return true;
    return m_joiner.Finish([this](const uint8_t* d, size_t n) { return WriteRaw(d, n); });
}

void CStreamFileWriter::TransHandler(DREBEN_DETAIL_DATA* record, void* user) {
    if (user) static_cast<CStreamFileWriter*>(user)->OnTransData(record);
}

void CStreamFileWriter::OnTransData(DREBEN_DETAIL_DATA* record) {
    if (!m_convert || !m_file || !record) return;
    if (!record->data && record->dataLength) return;
    if (!record->isFileHead) {
        if (record->dataLength && !m_behind.Put(record->data, record->dataLength)) m_failed = true;
        m_bodyBytes += record->dataLength;
        return;
    }
    // The container's head starts the file; the body written so far follows it.
    if (!m_behind.Finish() || !PlaceHead(fileno(m_file), record->data, record->dataLength, m_bodyBytes))
        m_failed = true;
    m_headWritten = true;
}

void CStreamFileWriter::Abandon() {
    if (!m_file) return;
    m_failed = true;
    Close();
}

bool CStreamFileWriter::Close(const std::string& newName) {
    if (!m_file) return false;
    bool ok = true;
    if (!EndRecording()) ok = false;
    if (m_convert) {
        // The transform hands out its last record (the head) before Stop
        // returns.
        m_transform.Stop();
        m_transform.SetDataCallback(nullptr, nullptr);
        m_convert = false;
        if (!m_headWritten) ok = false;  // no container: nothing usable was written
    }
    if (!FinishJoin()) ok = false;
    if (!m_behind.Finish()) ok = false;
    if (fflush(m_file) != 0) ok = false;
    // On the disk through the descriptor that wrote it, which is told of a
    // failure of any write that went through the cache.
    if (ok && !savefile::SyncFile(fileno(m_file))) ok = false;
    if (fclose(m_file) != 0) ok = false;
    m_file = nullptr;
    if (m_failed.load()) ok = false;

    // The file takes its name without replacing any: one that another
    // program or window saved under it meanwhile stays.
    const std::string target = newName.empty() ? m_path : newName;
    if (!m_append) {
        std::string taken;
        if (ok) taken = MoveToFreeOutputPath(m_writePath, target);
        if (taken.empty()) {
            ok = false;
            std::remove(m_writePath.c_str());
        } else {
            m_path = taken;
        }
    } else if (ok && wincompat::MapPath(target) != m_localPath) {
        const std::string taken = MoveToFreeOutputPath(m_localPath, target);
        if (taken.empty()) ok = false;
        else m_path = taken;
    }
    m_headWritten = false;
    m_haveHeader = false;
    m_key.clear();
    return ok;
}
