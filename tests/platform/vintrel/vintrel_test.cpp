// SPDX-License-Identifier: GPL-3.0-or-later
// The player library stand-in: ports, input buffer, real decoding into a
// widget, controls, vehicle data, keys, snapshots and file times.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "kel_test/test_support.h"
#include "platform/fallowin/mp4_probe.h"
#include "recording_fixture.h"
#include "recstream/recstream.h"
#include "test_hooks.h"
#include "vintrel.h"

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string TempPath(const char* name) { return (kel_test::ProgramFolder() + "/" + name).toStdString(); }

// Feeds a recording into a port from a thread of its own, as the storage
// reader does: header first (by the caller), then blocks, retrying while the
// player's buffer is full.
class Feeder {
public:
    Feeder(int port, std::vector<uint8_t> bytes, size_t block = 16384) : m_port(port), m_bytes(std::move(bytes)) {
        m_thread = std::thread([this, block] {
            for (size_t at = 40; at < m_bytes.size() && !m_stop;) {
                uint32_t n = static_cast<uint32_t>(std::min(block, m_bytes.size() - at));
                if (Ostrum_InputData(m_port, m_bytes.data() + at, n)) {
                    at += n;
                } else {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
            }
            m_done = true;
        });
    }
    ~Feeder() {
        m_stop = true;
        m_thread.join();
    }
    bool Done() const { return m_done; }

private:
    int m_port;
    std::vector<uint8_t> m_bytes;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

struct Seen {
    std::mutex m;
    std::vector<std::string> blocks;
    std::set<uint32_t> frameHashes;
    int frames = 0;
    int keyMissing = 0;
    int keyMismatch = 0;
};
Seen* g_seen = nullptr;

void OnDisplay(int, const char* buf, int size, int, int, int, int type) {
    if (!g_seen || type != OSTRUM_PIC_RGB32) return;
    uint32_t h = 2166136261u;
    for (int i = 0; i < size; i += 61) h = (h ^ static_cast<uint8_t>(buf[i])) * 16777619u;
    std::lock_guard<std::mutex> lk(g_seen->m);
    g_seen->frames++;
    g_seen->frameHashes.insert(h);
}
void OnAddition(int, const OSTRUM_ADDITION_DATA* d, void* user) {
    auto* seen = static_cast<Seen*>(user);
    std::lock_guard<std::mutex> lk(seen->m);
    if (d->dataType == OSTRUM_ADDITION_VEHICLE) seen->blocks.emplace_back(d->data, d->length);
}
void OnEncrypt(int, const OSTRUM_ENCRYPT_INFO* info, void* user) {
    auto* seen = static_cast<Seen*>(user);
    std::lock_guard<std::mutex> lk(seen->m);
    if (info->keySet == 0) seen->keyMissing++;
}
void OnRuntime(int, const OSTRUM_RUNTIME_INFO* info, void* user) {
    auto* seen = static_cast<Seen*>(user);
    std::lock_guard<std::mutex> lk(seen->m);
    if (info->errorCode == OSTRUM_RUNTIME_KEY_MISMATCH) seen->keyMismatch++;
}

uint32_t Packed(int y, int mo, int d, int h, int mi, int s) {
    return uint32_t(y - 2000) << 26 | uint32_t(mo) << 22 | uint32_t(d) << 17 | uint32_t(h) << 12 | uint32_t(mi) << 6 |
           uint32_t(s);
}

}  // namespace

TEST(VintrelPorts, AllocationAndBadPorts) {
    int a = -1, b = -1;
    ASSERT_TRUE(Ostrum_GetPort(&a));
    ASSERT_TRUE(Ostrum_GetPort(&b));
    EXPECT_NE(a, b);
    EXPECT_TRUE(Ostrum_FreePort(a));
    EXPECT_FALSE(Ostrum_FreePort(a));
    EXPECT_EQ(Ostrum_GetLastError(a), static_cast<uint32_t>(OSTRUM_ERR_PORT));
    int c = -1;
    ASSERT_TRUE(Ostrum_GetPort(&c));
    EXPECT_EQ(c, a);  // the lowest free port is handed out again
    EXPECT_FALSE(Ostrum_Play(9999, nullptr));
    EXPECT_FALSE(Ostrum_InputData(b, "x", 1));  // no stream open
    EXPECT_EQ(Ostrum_GetLastError(b), static_cast<uint32_t>(OSTRUM_ERR_ORDER));
    uint8_t junk[40] = {'X'};
    EXPECT_FALSE(Ostrum_OpenStream(b, junk, 40, 0));
    EXPECT_EQ(Ostrum_GetLastError(b), static_cast<uint32_t>(OSTRUM_ERR_HEADER));
    Ostrum_FreePort(b);
    Ostrum_FreePort(c);
}

TEST(VintrelStream, InputRefusedWhileFullUntilReset) {
    const std::string path = TempPath("full.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 1;
    ASSERT_TRUE(vintrel_test::WriteRecording(path, spec));
    auto bytes = ReadAll(path);
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, OSTRUM_MIN_SOURCE_BUFFER));
    std::vector<uint8_t> block(40000, 0);
    EXPECT_TRUE(Ostrum_InputData(port, block.data(), 40000));
    EXPECT_FALSE(Ostrum_InputData(port, block.data(), 40000));  // nothing plays: the buffer stays full
    EXPECT_EQ(Ostrum_GetLastError(port), static_cast<uint32_t>(OSTRUM_ERR_BUF_FULL));
    EXPECT_EQ(Ostrum_GetSourceBufferRemain(port), 40000u);
    EXPECT_GT(Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT), 0u);
    EXPECT_TRUE(Ostrum_ResetSourceBuffer(port));
    EXPECT_EQ(Ostrum_GetSourceBufferRemain(port), 0u);
    EXPECT_TRUE(Ostrum_InputData(port, block.data(), 40000));
    // A block larger than the whole buffer is still taken by an empty buffer.
    EXPECT_TRUE(Ostrum_ResetSourceBuffer(port));
    std::vector<uint8_t> big(OSTRUM_MIN_SOURCE_BUFFER * 2, 0);
    EXPECT_TRUE(Ostrum_InputData(port, big.data(), static_cast<uint32_t>(big.size())));
    EXPECT_TRUE(Ostrum_InputData(port, nullptr, uint32_t(-1)));  // end of stream
    EXPECT_EQ(Ostrum_GetSpecialData(port), 0u);                // nothing shown yet
    EXPECT_TRUE(Ostrum_CloseStream(port));
    Ostrum_FreePort(port);
}

// A recording cut inside its last unit (a medium holding less than the
// recording's index says): once the rest has played, nothing is left to
// come, so a player waiting for the end of the recording moves on. Once the
// cut unit's bytes counted as waiting for ever. Every whole picture is shown:
// paced on the clock turned by hand, the port is never late.
TEST(VintrelStream, ARecordingCutInsideItsLastUnitPlaysOut) {
    const std::string path = TempPath("cut.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 1;
    ASSERT_TRUE(vintrel_test::WriteRecording(path, spec));
    const auto bytes = ReadAll(path);
    // Cut 100 bytes before the end of the last pack that carries a picture.
    recstream::PacketScanner scanner(0, false);
    scanner.Feed(bytes.data(), bytes.size());
    scanner.Finish();
    recstream::Packet packet;
    size_t cut = 0;
    uint32_t pictures = 0;
    while (scanner.Next(&packet))
        for (const recstream::Pes& pes : packet.pes)
            if (pes.streamId == recstream::kStreamVideo && pes.hasPts) {
                cut = packet.offset + packet.size - 100;
                ++pictures;
            }
    ASSERT_GT(cut, 40u);
    const vintrel::ScopedManualClock manual(1000000);
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_SetStreamOpenMode(port, OSTRUM_STREAM_FILE));
    ASSERT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, 2 * 1024 * 1024));
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    ASSERT_TRUE(Ostrum_InputData(port, bytes.data() + 40, static_cast<uint32_t>(cut - 40)));
    auto playedOut = [&] {
        return Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) == 0 && Ostrum_GetSourceBufferRemain(port) == 0;
    };
    // A frame at a time, then the half second without new data after which
    // the cut unit's bytes count as nothing to come.
    for (int step = 0; step < 100 && !playedOut(); ++step) vintrel::AdvanceManualClock(40);
    EXPECT_TRUE(playedOut());
    const uint32_t shown = Ostrum_GetCurrentFrameNum(port);
    EXPECT_EQ(shown, pictures - 1);   // every whole picture
    EXPECT_TRUE(Ostrum_FreePort(port));
}

TEST(VintrelPlay, DecodesIntoWidgetWithControlsAndVehicleData) {
    const std::string path = TempPath("play.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 4;
    ASSERT_TRUE(vintrel_test::WriteRecording(path, spec));
    auto bytes = ReadAll(path);

    QWidget window;
    window.resize(320, 240);
    window.show();
    Seen seen;
    g_seen = &seen;
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_SetStreamOpenMode(port, OSTRUM_STREAM_FILE));
    ASSERT_TRUE(Ostrum_SetAdditionDataCallBack(port, OSTRUM_ADDITION_VEHICLE, &OnAddition, &seen));
    ASSERT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, 2 * 1024 * 1024));
    ASSERT_TRUE(Ostrum_SetDisplayCallBack(port, &OnDisplay));
    ASSERT_TRUE(Ostrum_Play(port, &window));
    Feeder feeder(port, bytes);

    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetCurrentFrameNum(port) >= 5; }));
    const uint32_t t0 = Ostrum_GetSpecialData(port);
    EXPECT_EQ(t0, Packed(2024, 3, 1, 12, 0, 0));
    const QImage firstGrab = window.grab().toImage();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetSpecialData(port) > t0; }));  // the played time advances
    // The picture on screen changes.
    ASSERT_TRUE(kel_test::WaitUntil([&] { return window.grab().toImage() != firstGrab; }));
    {
        std::lock_guard<std::mutex> lk(seen.m);
        EXPECT_GT(seen.frameHashes.size(), 3u);
    }
    int w = 0, h = 0;
    ASSERT_TRUE(Ostrum_GetPictureSize(port, &w, &h));
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);

    // Pause holds the picture: once it returns, no frame is shown until a
    // step asks for one; single steps move by one frame either way.
    ASSERT_TRUE(Ostrum_Pause(port, 1));
    const uint32_t n = Ostrum_GetCurrentFrameNum(port);
    auto bmp = [&] {
        std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4 + 1024);
        uint32_t size = 0;
        EXPECT_TRUE(Ostrum_GetBMP(port, out.data(), static_cast<uint32_t>(out.size()), &size));
        out.resize(size);
        return out;
    };
    const std::vector<uint8_t> before = bmp();
    ASSERT_TRUE(Ostrum_OneByOne(port));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetCurrentFrameNum(port) > n; }));
    EXPECT_NE(bmp(), before);
    ASSERT_TRUE(Ostrum_OneByOneBack(port));
    EXPECT_EQ(bmp(), before);   // the very picture shown before the step
    // The step was the one frame shown since the pause, while the stream kept
    // coming and its frames fell due.
    EXPECT_EQ(Ostrum_GetCurrentFrameNum(port), n + 1);

    std::vector<uint8_t> jpeg(w * h * 3 / 2);
    uint32_t got = 0;
    ASSERT_TRUE(Ostrum_GetJPEG(port, jpeg.data(), static_cast<uint32_t>(jpeg.size()), &got));
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(jpeg.data(), static_cast<int>(got), "JPG"));
    EXPECT_EQ(decoded.size(), QSize(320, 240));
    std::vector<uint8_t> tiny(10);
    EXPECT_FALSE(Ostrum_GetBMP(port, tiny.data(), 10, &got));
    EXPECT_EQ(Ostrum_GetLastError(port), static_cast<uint32_t>(OSTRUM_ERR_BUF_TOO_SMALL));

    OSTRUM_RECT zoom{0, 0, 160, 120};
    EXPECT_TRUE(Ostrum_SetDisplayRegion(port, 0, &zoom, nullptr, 1));
    OSTRUM_RECT bad{100, 0, 50, 120};
    EXPECT_FALSE(Ostrum_SetDisplayRegion(port, 0, &bad, nullptr, 1));
    EXPECT_TRUE(Ostrum_SetDisplayRegion(port, 0, nullptr, nullptr, 1));

    ASSERT_TRUE(Ostrum_Play(port, &window));  // leaves single-frame mode
    ASSERT_TRUE(kel_test::WaitUntil([&] { return feeder.Done(); }));
    Ostrum_InputData(port, nullptr, uint32_t(-1));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) == 0; }));
    EXPECT_EQ(Ostrum_GetSpecialData(port), Packed(2024, 3, 1, 12, 0, 3));
    {
        std::lock_guard<std::mutex> lk(seen.m);
        ASSERT_EQ(seen.blocks.size(), 4u);
        EXPECT_EQ(seen.blocks[0].rfind("$QORMOBILE,KELREC,E,240301120000|", 0), 0u) << seen.blocks[0];
        EXPECT_NE(seen.blocks[3].find("240301120003"), std::string::npos);
    }
    EXPECT_TRUE(Ostrum_Stop(port));
    EXPECT_TRUE(Ostrum_CloseStream(port));
    EXPECT_TRUE(Ostrum_FreePort(port));
    g_seen = nullptr;
}

// Mean difference per colour channel of two pictures of one size (255 when
// the sizes differ).
double MeanDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return 255;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int r = 0; r < x.height(); ++r) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(r));
        const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(r));
        for (int c = 0; c < x.width(); ++c)
            sum += std::abs(qRed(p[c]) - qRed(q[c])) + std::abs(qGreen(p[c]) - qGreen(q[c])) +
                   std::abs(qBlue(p[c]) - qBlue(q[c]));
    }
    return sum / (3.0 * x.width() * x.height());
}

// A view smaller than the picture gets the picture (or its zoomed part) made
// at the view's size; snapshots stay whole; a view that grows, or a region
// that changes, while paused gets the shown frame made again.
// The key frame the picture on screen was decoded from, to the millisecond
// (key frames every 1.2 s here), also for a picture stepped back to.
TEST(VintrelPlay, KeyTimeOfTheFrameOnScreen) {
    const std::string path = TempPath("keys.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 3;
    spec.gop = 30;
    ASSERT_TRUE(vintrel_test::WriteRecording(path, spec));
    auto bytes = ReadAll(path);
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, 2 * 1024 * 1024));
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    OSTRUM_FILE_TIME shown{}, key{};
    EXPECT_FALSE(Ostrum_GetPlayedKeyTime(port, &key));   // nothing on screen yet
    EXPECT_EQ(Ostrum_GetLastError(port), static_cast<uint32_t>(OSTRUM_ERR_NO_PICTURE));
    Feeder feeder(port, bytes);
    auto ms = [](const OSTRUM_FILE_TIME& t) { return (t.minute * 60 + t.second) * 1000 + t.millisecond; };
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetPlayedTime(port, &shown) && ms(shown) >= 1280; }));
    ASSERT_TRUE(Ostrum_Pause(port, 1));
    ASSERT_TRUE(Ostrum_GetPlayedTime(port, &shown));
    ASSERT_LT(ms(shown), 2400);
    ASSERT_TRUE(Ostrum_GetPlayedKeyTime(port, &key));
    EXPECT_EQ(std::vector<int>({key.year, key.month, key.day, key.hour, key.minute, key.second, key.millisecond}),
              std::vector<int>({2024, 3, 1, 12, 0, 1, 200}));
    while (ms(shown) >= 1200) {
        ASSERT_TRUE(Ostrum_OneByOneBack(port));
        ASSERT_TRUE(Ostrum_GetPlayedTime(port, &shown));
    }
    EXPECT_EQ(ms(shown), 1160);
    ASSERT_TRUE(Ostrum_GetPlayedKeyTime(port, &key));
    EXPECT_EQ(ms(key), 0);
    Ostrum_FreePort(port);
}

TEST(VintrelPlay, ScreenGetsThePictureAtItsViewSize) {
    const std::string path = TempPath("fit.rec");
    vintrel_test::RecordingSpec spec;
    spec.width = 640;
    spec.height = 480;
    spec.seconds = 2;
    ASSERT_TRUE(vintrel_test::WriteRecording(path, spec));
    auto bytes = ReadAll(path);

    QWidget window;
    window.resize(160, 120);
    window.show();
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_SetStreamOpenMode(port, OSTRUM_STREAM_FILE));
    ASSERT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, 2 * 1024 * 1024));
    ASSERT_TRUE(Ostrum_Play(port, &window));
    Feeder feeder(port, bytes);
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetCurrentFrameNum(port) >= 5; }));
    ASSERT_TRUE(Ostrum_Pause(port, 1));
    const uint32_t n = Ostrum_GetCurrentFrameNum(port);
    ASSERT_TRUE(Ostrum_OneByOne(port));   // a known frame on screen: the step's, and no later one
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetCurrentFrameNum(port) > n; }));
    ASSERT_EQ(Ostrum_GetCurrentFrameNum(port), n + 1);
    QWidget* view = window.findChild<QWidget*>("vintrel_view");
    ASSERT_NE(view, nullptr);

    int w = 0, h = 0;
    ASSERT_TRUE(Ostrum_GetPictureSize(port, &w, &h));
    EXPECT_EQ(QSize(w, h), QSize(640, 480));
    std::vector<uint8_t> bmp(640 * 480 * 4 + 1024);
    uint32_t size = 0;
    ASSERT_TRUE(Ostrum_GetBMP(port, bmp.data(), static_cast<uint32_t>(bmp.size()), &size));
    QImage whole;
    ASSERT_TRUE(whole.loadFromData(bmp.data(), static_cast<int>(size), "BMP"));
    EXPECT_EQ(whole.size(), QSize(640, 480));

    auto shows = [&](const QImage& expected, double within = 12) {
        return kel_test::WaitUntil([&] { return MeanDifference(view->grab().toImage(), expected) < within; });
    };
    EXPECT_TRUE(shows(whole.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));

    // Zoom on the upper left quarter while paused.
    OSTRUM_RECT quarter{0, 0, 320, 240};
    ASSERT_TRUE(Ostrum_SetDisplayRegion(port, 0, &quarter, nullptr, 1));
    EXPECT_TRUE(shows(whole.copy(0, 0, 320, 240).scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    ASSERT_TRUE(Ostrum_SetDisplayRegion(port, 0, nullptr, nullptr, 1));
    EXPECT_TRUE(shows(whole.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));

    // An odd width: the picture is made one column narrower (the scaler's
    // fast path), the view's last column black.
    window.resize(161, 120);
    {
        QImage expected(161, 120, QImage::Format_RGB32);
        expected.fill(Qt::black);
        QPainter painter(&expected);
        painter.drawImage(0, 0, whole.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        painter.end();
        EXPECT_TRUE(shows(expected)) << MeanDifference(view->grab().toImage(), expected);
        const QImage shown = view->grab().toImage();
        ASSERT_EQ(shown.size(), QSize(161, 120));
        for (int y = 0; y < 120; ++y) ASSERT_EQ(shown.pixel(160, y) & 0xffffff, 0u) << y;
    }

    // The window grows past the picture while paused: the whole picture, sharp.
    window.resize(800, 600);
    EXPECT_TRUE(shows(whole.scaled(800, 600), 2)) << MeanDifference(view->grab().toImage(), whole.scaled(800, 600));

    EXPECT_TRUE(Ostrum_Stop(port));
    EXPECT_TRUE(Ostrum_CloseStream(port));
    EXPECT_TRUE(Ostrum_FreePort(port));
}

TEST(VintrelPlay, SpeedStepsAreBounded) {
    const std::string path = TempPath("speed.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 1;
    ASSERT_TRUE(vintrel_test::WriteRecording(path, spec));
    auto bytes = ReadAll(path);
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, 0));
    EXPECT_FALSE(Ostrum_Fast(port));  // not playing yet
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(Ostrum_Fast(port));
    EXPECT_FALSE(Ostrum_Fast(port));
    EXPECT_EQ(Ostrum_GetLastError(port), static_cast<uint32_t>(OSTRUM_ERR_SPEED_LIMIT));
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(Ostrum_Slow(port));
    EXPECT_FALSE(Ostrum_Slow(port));
    EXPECT_TRUE(Ostrum_SetDecodeFrameType(port, OSTRUM_DECODE_KEY_ONLY));
    EXPECT_FALSE(Ostrum_SetDecodeFrameType(port, 7));
    EXPECT_TRUE(Ostrum_SetSycGroup(port, 1));
    EXPECT_TRUE(Ostrum_SetSycGroup(port, -1));
    EXPECT_FALSE(Ostrum_SetSycGroup(port, 2));
    Ostrum_FreePort(port);
}

TEST(VintrelPlay, KeyFramesOnlyShowsOnlyKeyFrames) {
    const std::string path = TempPath("keys.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 3;
    spec.gop = 25;
    ASSERT_TRUE(vintrel_test::WriteRecording(path, spec));
    auto bytes = ReadAll(path);
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_SetStreamOpenMode(port, OSTRUM_STREAM_LIVE));
    ASSERT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, 0));
    ASSERT_TRUE(Ostrum_SetDecodeFrameType(port, OSTRUM_DECODE_KEY_ONLY));
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    ASSERT_TRUE(Ostrum_InputData(port, bytes.data() + 40, static_cast<uint32_t>(bytes.size() - 40)));
    ASSERT_TRUE(Ostrum_InputData(port, nullptr, uint32_t(-1)));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) == 0; }));
    EXPECT_EQ(Ostrum_GetCurrentFrameNum(port), 3u);  // one key frame per second
    Ostrum_FreePort(port);
}

TEST(VintrelKeys, MissingWrongAndRightKey) {
    const std::string path = TempPath("secret.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 1;
    spec.key = "road-key-42";
    ASSERT_TRUE(vintrel_test::WriteRecording(path, spec));
    auto bytes = ReadAll(path);
    struct Case {
        const char* key;
        int missing, mismatch;
        bool frames;
    } cases[] = {{"", 1, 0, false}, {"wrong", 0, 1, false}, {"road-key-42", 0, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Seen seen;
        int port = -1;
        ASSERT_TRUE(Ostrum_GetPort(&port));
        ASSERT_TRUE(Ostrum_SetStreamOpenMode(port, OSTRUM_STREAM_LIVE));
        if (*c.key) {
            ASSERT_TRUE(Ostrum_SetSecretKey(port, 1, c.key, static_cast<int>(std::strlen(c.key) * 8)));
        }
        ASSERT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, 0));
        Ostrum_SetEncryptTypeCallBack(port, 1, &OnEncrypt, &seen);
        Ostrum_SetRunTimeInfoCallBackEx(port, 1, &OnRuntime, &seen);
        ASSERT_TRUE(Ostrum_Play(port, nullptr));
        ASSERT_TRUE(Ostrum_InputData(port, bytes.data() + 40, static_cast<uint32_t>(bytes.size() - 40)));
        ASSERT_TRUE(Ostrum_InputData(port, nullptr, uint32_t(-1)));
        ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) == 0; }));
        std::lock_guard<std::mutex> lk(seen.m);
        EXPECT_EQ(seen.keyMissing, c.missing);
        EXPECT_EQ(seen.keyMismatch, c.mismatch);
        EXPECT_EQ(Ostrum_GetCurrentFrameNum(port) == 25u, c.frames);
        Ostrum_FreePort(port);
    }
}

TEST(VintrelFiles, TotalTimeOfRecordingAndContainer) {
    const std::string raw = TempPath("ch01_20240301120000.mp4");  // a raw recording named like a clip
    vintrel_test::RecordingSpec spec;
    spec.seconds = 3;
    ASSERT_TRUE(vintrel_test::WriteRecording(raw, spec));
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_OpenFile(port, raw.c_str()));
    OSTRUM_FILE_TIME first{}, last{};
    ASSERT_TRUE(Ostrum_GetFileTotalTime(port, &first, &last));
    EXPECT_EQ(first.year, 2024);
    EXPECT_EQ(first.month, 3);
    EXPECT_EQ(first.day, 1);
    EXPECT_EQ(first.hour, 12);
    EXPECT_EQ(first.second, 0);
    EXPECT_EQ(last.second, 2);
    ASSERT_TRUE(Ostrum_CloseFile(port));

    // Converted container files: recorder time from the comment or creation time.
    struct Case {
        const char* name;
        QStringList meta;
        int firstSecond, lastSecond, firstHour;
    } cases[] = {
        // 4 s at 10 frames a second: the last frame is 3.9 s after the first.
        {"created.mp4", {"-metadata", "creation_time=2024-05-06T07:08:09.000000Z"}, 9, 12, 7},
        {"commented.mp4", {"-metadata", "comment=recorder_start=20240506101010"}, 10, 13, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string mp4 = TempPath(c.name);
        QStringList args = {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-t", "4",
                            "-c:v", "mpeg4"};
        args << c.meta << QString::fromStdString(mp4);
        ASSERT_EQ(QProcess::execute("ffmpeg", args), 0);
        ASSERT_TRUE(Ostrum_OpenFile(port, mp4.c_str()));
        ASSERT_TRUE(Ostrum_GetFileTotalTime(port, &first, &last));
        EXPECT_EQ(first.month, 5);
        EXPECT_EQ(first.hour, c.firstHour);
        EXPECT_EQ(first.second, c.firstSecond);
        EXPECT_EQ(last.second, c.lastSecond);
        ASSERT_TRUE(Ostrum_CloseFile(port));
    }
    EXPECT_FALSE(Ostrum_OpenFile(port, TempPath("missing.mp4").c_str()));
    Ostrum_FreePort(port);
}

// Played on the clock turned by hand: the port is never late, so it leaves
// out no picture, the last one included.
TEST(VintrelFiles, OpenedRecordingPlays) {
    const std::string raw = TempPath("fileplay.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 2;
    ASSERT_TRUE(vintrel_test::WriteRecording(raw, spec));
    const vintrel::ScopedManualClock manual(1000000);
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_OpenFile(port, raw.c_str()));
    OSTRUM_FILE_TIME shown{};
    EXPECT_FALSE(Ostrum_GetPlayedTime(port, &shown));   // nothing on screen yet
    EXPECT_EQ(Ostrum_GetLastError(port), static_cast<uint32_t>(OSTRUM_ERR_NO_PICTURE));
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    // A picture at a time, each decoded before the clock reaches it.
    auto turnUntil = [&](const std::function<bool()>& done) {
        for (int turn = 0; turn < 100 && !done(); ++turn) {
            EXPECT_TRUE(kel_test::WaitUntil(
                [&] { return Ostrum_GetBufferValue(port, OSTRUM_BUF_VIDEO) > 0 || Ostrum_GetBufferValue(port, OSTRUM_BUF_FRAMES_LEFT) == 0; }));
            vintrel::AdvanceManualClock(40);
        }
        return done();
    };
    ASSERT_TRUE(turnUntil([&] { return Ostrum_GetSpecialData(port) == Packed(2024, 3, 1, 12, 0, 1); }));
    // The last of the 50 pictures stays on screen, to the millisecond.
    ASSERT_TRUE(turnUntil([&] { return Ostrum_GetPlayedTime(port, &shown) && shown.millisecond == 960; }));
    EXPECT_EQ(std::vector<int>({shown.year, shown.month, shown.day, shown.hour, shown.minute, shown.second}),
              std::vector<int>({2024, 3, 1, 12, 0, 1}));
    EXPECT_TRUE(Ostrum_CloseFile(port));
    Ostrum_FreePort(port);
}

namespace {

// A converted file of 6 s at 10 pictures a second with MPEG audio, its
// recorder time from `meta`, a key frame every `gop` pictures.
std::string ConvertedFile(const std::string& name, int gop, const QStringList& meta) {
    const std::string path = TempPath(name.c_str());
    QStringList args = {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=10", "-f", "lavfi",
                        "-i", "sine=frequency=440:sample_rate=32000", "-t", "6", "-c:v", "mpeg4", "-g",
                        QString::number(gop), "-c:a", "mp2"};
    args << meta << QString::fromStdString(path);
    return QProcess::execute("ffmpeg", args) == 0 ? path : std::string();
}

OSTRUM_FILE_TIME FileTime(int64_t recorderMs) {
    const time_t t = static_cast<time_t>(recorderMs / 1000);
    struct tm tmv = {};
    gmtime_r(&t, &tmv);
    return OSTRUM_FILE_TIME{tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec,
                            static_cast<int32_t>(recorderMs % 1000)};
}

int64_t Utc(int y, int mo, int d, int h, int mi, int s) {
    struct tm t = {};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return static_cast<int64_t>(timegm(&t)) * 1000;
}

// Top-level boxes of an .mp4 file, in order.
std::vector<std::string> Boxes(const std::string& path) {
    const std::vector<uint8_t> b = ReadAll(path);
    std::vector<std::string> names;
    for (size_t at = 0; at + 8 <= b.size();) {
        uint64_t size = (uint64_t(b[at]) << 24) | (uint64_t(b[at + 1]) << 16) | (uint64_t(b[at + 2]) << 8) | b[at + 3];
        names.emplace_back(reinterpret_cast<const char*>(&b[at + 4]), 4);
        if (size == 1 && at + 16 <= b.size()) {
            size = 0;
            for (int i = 8; i < 16; ++i) size = (size << 8) | b[at + i];
        }
        if (size < 8) break;
        at += size;
    }
    return names;
}

}  // namespace

// Clips of a converted file: from the key frame at or before the first
// picture asked for to the last one, copied as they are, each picture at its
// recorder time.
TEST(VintrelFiles, CutCopiesAConvertedFilesSpanFromItsKeyFrame) {
    const QStringList created = {"-metadata", "creation_time=2024-05-06T07:08:09.000000Z"};
    const QStringList commented = {"-metadata", "comment=recorder_start=20240506101010"};
    const int64_t t0 = Utc(2024, 5, 6, 7, 8, 9);
    const int64_t c0 = Utc(2024, 5, 6, 10, 10, 10);
    struct Case {
        const char* name;
        int gop;
        const QStringList& meta;
        int64_t start;          // recorder time of the file's first picture
        int64_t from, to;       // after `start`, milliseconds
        int64_t first, last;    // pictures of the clip, after `start`
    } cases[] = {
        {"a key frame each second", 10, created, t0, 2350, 4000, 2000, 4000},
        {"a key frame every 0.7 s", 7, created, t0, 2350, 3000, 2100, 3000},
        {"from a key frame", 10, created, t0, 3000, 3000, 3000, 3000},
        {"from before the file", 10, created, t0, -9000, 1000, 0, 1000},
        {"to after the file", 10, created, t0, 4500, 60000, 4000, 5900},
        {"recorder time from the comment", 10, commented, c0, 1000, 2500, 1000, 2500},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = ConvertedFile("cut_source_" + std::to_string(n) + ".mp4", c.gop, c.meta);
        ASSERT_FALSE(source.empty());
        const std::string clip = TempPath(("cut_" + std::to_string(n++) + ".mp4").c_str());
        const OSTRUM_FILE_TIME from = FileTime(c.start + c.from), to = FileTime(c.start + c.to);
        ASSERT_TRUE(Ostrum_CutFile(source.c_str(), &from, &to, clip.c_str()));

        const std::vector<std::string> boxes = Boxes(clip);
        ASSERT_GE(boxes.size(), 3u);
        EXPECT_EQ(boxes.front(), "ftyp");
        EXPECT_LT(std::find(boxes.begin(), boxes.end(), "moov"), std::find(boxes.begin(), boxes.end(), "mdat"));
        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(clip, true);
        ASSERT_TRUE(probe.opened);
        EXPECT_EQ(probe.videoCodec, "mpeg4");
        EXPECT_EQ(probe.audioCodec, kel_test::ProbeMp4(source, false).audioCodec);   // the sound goes along
        EXPECT_FALSE(probe.audioCodec.empty());
        EXPECT_EQ(probe.logErrors, 0);
        EXPECT_EQ(probe.decodeErrors, 0);
        // Every picture decodes, from the first on.
        const int pictures = static_cast<int>((c.last - c.first) / 100 + 1);
        EXPECT_EQ(probe.videoPackets, pictures);
        EXPECT_EQ(probe.decodedFrames, pictures);
        // The clip's second, then each picture's place in it.
        const int64_t firstMs = c.start + c.first;
        EXPECT_EQ(probe.creationTime, QDateTime::fromMSecsSinceEpoch(firstMs / 1000 * 1000, Qt::UTC)
                                          .toString("yyyy-MM-ddThh:mm:ss.000000Z")
                                          .toStdString());
        EXPECT_NEAR(probe.firstTime, (firstMs % 1000) / 1000.0, 0.001);
        EXPECT_NEAR(probe.lastTime - probe.firstTime, (c.last - c.first) / 1000.0, 0.001);

        // The player finds it at the times it was cut from.
        int port = -1;
        ASSERT_TRUE(Ostrum_GetPort(&port));
        ASSERT_TRUE(Ostrum_OpenFile(port, clip.c_str()));
        OSTRUM_FILE_TIME first{}, last{};
        ASSERT_TRUE(Ostrum_GetFileTotalTime(port, &first, &last));
        const OSTRUM_FILE_TIME wantFirst = FileTime(firstMs), wantLast = FileTime(c.start + c.last);
        EXPECT_EQ(std::vector<int>({first.hour, first.minute, first.second}),
                  std::vector<int>({wantFirst.hour, wantFirst.minute, wantFirst.second}));
        EXPECT_EQ(std::vector<int>({last.hour, last.minute, last.second}),
                  std::vector<int>({wantLast.hour, wantLast.minute, wantLast.second}));
        Ostrum_FreePort(port);
    }
}

TEST(VintrelFiles, CutRefusesWhatItCannotCopy) {
    const std::string source = ConvertedFile("cut_refused.mp4", 10, {"-metadata", "creation_time=2024-05-06T07:08:09Z"});
    ASSERT_FALSE(source.empty());
    const std::string raw = TempPath("cut_raw.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 2;
    ASSERT_TRUE(vintrel_test::WriteRecording(raw, spec));
    const int64_t t0 = Utc(2024, 5, 6, 7, 8, 9);
    const OSTRUM_FILE_TIME early = FileTime(t0 + 1000), late = FileTime(t0 + 2000), after = FileTime(t0 + 7000);
    const OSTRUM_FILE_TIME rawFrom = FileTime(Utc(2024, 3, 1, 12, 0, 0)), rawTo = FileTime(Utc(2024, 3, 1, 12, 0, 1));
    struct Case {
        const char* name;
        std::string source;
        const OSTRUM_FILE_TIME* from;
        const OSTRUM_FILE_TIME* to;
        std::string target;
    } cases[] = {
        {"no picture at or after the start", source, &after, &after, TempPath("cut_x1.mp4")},
        {"end before start", source, &late, &early, TempPath("cut_x2.mp4")},
        {"a recorder file", raw, &rawFrom, &rawTo, TempPath("cut_x3.mp4")},
        {"a folder that does not exist", source, &early, &late, TempPath("missing/cut_x4.mp4")},
        {"no file", TempPath("absent.mp4"), &early, &late, TempPath("cut_x5.mp4")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Ostrum_CutFile(c.source.c_str(), c.from, c.to, c.target.c_str()));
        EXPECT_FALSE(QFile::exists(QString::fromStdString(c.target)));
    }
}

TEST(VintrelPictures, ConvertWritesFilesAndRefusesBadBuffers) {
    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(qRgb(200, 10, 10));
    const std::string jpg = TempPath("x.jpg"), bmp = TempPath("x.bmp");
    ASSERT_TRUE(Ostrum_ConvertToJpegFile(reinterpret_cast<const char*>(img.constBits()), static_cast<int>(img.sizeInBytes()),
                                         8, 6, OSTRUM_PIC_RGB32, jpg.c_str()));
    ASSERT_TRUE(Ostrum_ConvertToBmpFile(reinterpret_cast<const char*>(img.constBits()), static_cast<int>(img.sizeInBytes()),
                                        8, 6, OSTRUM_PIC_RGB32, bmp.c_str()));
    EXPECT_EQ(QImage(QString::fromStdString(bmp)).pixel(3, 3), qRgb(200, 10, 10));
    EXPECT_EQ(QImage(QString::fromStdString(jpg)).size(), QSize(8, 6));
    EXPECT_FALSE(Ostrum_ConvertToBmpFile(reinterpret_cast<const char*>(img.constBits()), 10, 8, 6, OSTRUM_PIC_RGB32,
                                         TempPath("y.bmp").c_str()));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(TempPath("y.bmp"))));
}

TEST(VintrelSound, WithoutDeviceFailsGracefully) {
    const std::string path = TempPath("sound.rec");
    vintrel_test::RecordingSpec spec;
    spec.seconds = 1;
    ASSERT_TRUE(vintrel_test::WriteRecording(path, spec));
    auto bytes = ReadAll(path);
    int port = -1;
    ASSERT_TRUE(Ostrum_GetPort(&port));
    ASSERT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, 0));
    ASSERT_TRUE(Ostrum_Play(port, nullptr));
    if (!Ostrum_PlaySound(port)) {
        EXPECT_EQ(Ostrum_GetLastError(port), static_cast<uint32_t>(OSTRUM_ERR_NO_AUDIO_DEVICE));
    } else {
        EXPECT_TRUE(Ostrum_SetVolume(port, 1000));
    }
    EXPECT_TRUE(Ostrum_StopSound());
    Ostrum_FreePort(port);
}

TEST(VintrelSync, GroupedPortsKeepInStepOnTheRecorderClock) {
    vintrel_test::RecordingSpec early, late;
    early.seconds = 4;
    late.seconds = 2;
    late.startTime = early.startTime + 2;  // the second channel starts two seconds later
    const std::string a = TempPath("sync_a.rec"), b = TempPath("sync_b.rec");
    ASSERT_TRUE(vintrel_test::WriteRecording(a, early));
    ASSERT_TRUE(vintrel_test::WriteRecording(b, late));
    auto bytesA = ReadAll(a), bytesB = ReadAll(b);
    // On the clock turned by hand: however slowly the machine decodes, no
    // port falls behind the group's time.
    const vintrel::ScopedManualClock manual(1000000);
    int pa = -1, pb = -1;
    ASSERT_TRUE(Ostrum_GetPort(&pa));
    ASSERT_TRUE(Ostrum_GetPort(&pb));
    for (auto [port, bytes] : {std::make_pair(pa, &bytesA), std::make_pair(pb, &bytesB)}) {
        ASSERT_TRUE(Ostrum_SetSycGroup(port, 0));
        ASSERT_TRUE(Ostrum_OpenStream(port, bytes->data(), 40, 0));
        ASSERT_TRUE(Ostrum_InputData(port, bytes->data() + 40, static_cast<uint32_t>(bytes->size() - 40)));
    }
    ASSERT_TRUE(Ostrum_Play(pa, nullptr));
    ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetSpecialData(pa) != 0; }));
    ASSERT_TRUE(Ostrum_Play(pb, nullptr));
    auto turnUntil = [](const std::function<bool()>& done) {
        for (int turn = 0; turn < 200 && !done(); ++turn) vintrel::AdvanceManualClock(40);
        return done();
    };
    // The later channel holds its first frame until the group's clock gets there.
    ASSERT_TRUE(turnUntil([&] { return Ostrum_GetSpecialData(pb) != 0; }));
    EXPECT_GE(Ostrum_GetSpecialData(pa), Packed(2024, 3, 1, 12, 0, 1));
    ASSERT_TRUE(turnUntil([&] { return Ostrum_GetSpecialData(pa) >= Packed(2024, 3, 1, 12, 0, 3); }));
    const uint32_t ta = Ostrum_GetSpecialData(pa), tb = Ostrum_GetSpecialData(pb);
    EXPECT_LE((ta > tb ? ta - tb : tb - ta), 1u);
    Ostrum_FreePort(pa);
    Ostrum_FreePort(pb);
}

namespace {

// The pictures a port handed to the display callback: stream time (ms) and a
// hash of the whole picture, in order.
struct Shows {
    std::mutex m;
    std::vector<int> stamps;
    std::vector<uint32_t> hashes;
};
Shows* g_shows = nullptr;

void OnShow(int, const char* buf, int size, int, int, int stamp, int) {
    uint32_t h = 2166136261u;
    for (int i = 0; i < size; ++i) h = (h ^ static_cast<uint8_t>(buf[i])) * 16777619u;
    std::lock_guard<std::mutex> lk(g_shows->m);
    g_shows->stamps.push_back(stamp);
    g_shows->hashes.push_back(h);
}

std::vector<int> Stamps(Shows& shows) {
    std::lock_guard<std::mutex> lk(shows.m);
    return shows.stamps;
}

std::vector<int> Range(int from, int to, int step = 40) {
    std::vector<int> out;
    for (int t = from; t <= to; t += step) out.push_back(t);
    return out;
}

std::vector<int> Joined(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Plays `bytes` on a fresh port (whole stream given at once) paced on the
// manual clock; the first picture is on screen when it returns.
int PlayOnManualClock(const std::vector<uint8_t>& bytes, int group, Shows* shows) {
    g_shows = shows;
    int port = -1;
    EXPECT_TRUE(Ostrum_GetPort(&port));
    EXPECT_TRUE(Ostrum_SetSycGroup(port, group));
    EXPECT_TRUE(Ostrum_OpenStream(port, bytes.data(), 40, static_cast<uint32_t>(bytes.size())));
    EXPECT_TRUE(Ostrum_InputData(port, bytes.data() + 40, static_cast<uint32_t>(bytes.size() - 40)));
    EXPECT_TRUE(Ostrum_InputData(port, nullptr, uint32_t(-1)));
    EXPECT_TRUE(Ostrum_SetDisplayCallBack(port, &OnShow));
    EXPECT_TRUE(Ostrum_Play(port, nullptr));
    EXPECT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetCurrentFrameNum(port) >= 1; }));
    vintrel::AdvanceManualClock(0);
    return port;
}

// A recording of `seconds` written and read back whole; `gop` frames from one
// key frame to the next (0: the fixture's).
std::vector<uint8_t> Sample(const char* name, int seconds, int gop = 0) {
    const std::string path = TempPath(name);
    vintrel_test::RecordingSpec spec;
    spec.seconds = seconds;
    if (gop > 0) spec.gop = gop;
    EXPECT_TRUE(vintrel_test::WriteRecording(path, spec));
    return ReadAll(path);
}

// A port playing `bytes` on the manual clock set to `clockMs`; at the end
// the port goes and the real clock is back.
struct ManualPlay {
    ManualPlay(const std::vector<uint8_t>& bytes, int group, int64_t clockMs) : clock(clockMs) {
        port = PlayOnManualClock(bytes, group, &shows);
    }
    ~ManualPlay() {
        Ostrum_FreePort(port);
        g_shows = nullptr;
    }
    vintrel::ScopedManualClock clock;
    Shows shows;
    int port = -1;
};

}  // namespace

// A window that falls behind its clock (turned by hand here, so every
// lateness is exact): in a group it drops, without converting them, the
// frames whose successor is already due and shows the one of the group's
// time; alone it shows every late frame. More than a second behind, either
// passes over everything up to the first key frame (one a second here) not
// behind the clock and shows that one when the clock gets there: neither the
// frames before it nor those of the key frame it passed, 0.94 s late.
TEST(VintrelPace, LateWindowDropsFramesAndSkipsToTheNextKeyFrame) {
    const auto bytes = Sample("late.rec", 5, 25);
    struct Case {
        int group;
        std::vector<int> after440;   // pictures shown once the clock is 400 ms further
    };
    for (const Case& c : {Case{0, {0, 40, 440}}, Case{-1, Range(0, 440)}}) {
        SCOPED_TRACE(c.group);
        ManualPlay play(bytes, c.group, 1000000);
        Shows& shows = play.shows;
        const int port = play.port;
        EXPECT_EQ(Stamps(shows), std::vector<int>({0}));
        vintrel::AdvanceManualClock(40);
        EXPECT_EQ(Stamps(shows), std::vector<int>({0, 40}));
        vintrel::AdvanceManualClock(400);
        EXPECT_EQ(Stamps(shows), c.after440);
        EXPECT_EQ(Ostrum_GetCurrentFrameNum(port), c.after440.size());
        vintrel::AdvanceManualClock(1500);   // 1.46 s behind; key frames at 1.94 s behind and 60 ms ahead
        EXPECT_EQ(Stamps(shows), c.after440);
        vintrel::AdvanceManualClock(60);
        EXPECT_EQ(Stamps(shows), Joined(c.after440, {2000}));
        vintrel::AdvanceManualClock(40);
        EXPECT_EQ(Stamps(shows), Joined(c.after440, {2000, 2040}));
        OSTRUM_FILE_TIME shown{};
        ASSERT_TRUE(Ostrum_GetPlayedTime(port, &shown));
        EXPECT_EQ(std::vector<int>({shown.second, shown.millisecond}), std::vector<int>({2, 40}));
    }
}

// A window of a group whose decoder keeps up with the recording but needs
// 300 ms for a key frame (on the clock turned by hand), more than the five
// frames it decodes ahead: once it knows how far apart its key frames are
// (from the second one on), it leaves out the last frames before a key frame
// so that the key frame is decoded in time. Every second begins at its time,
// as in the group's other windows; what the window loses is the end of the
// second before. No picture is shown a frame late or more.
TEST(VintrelPace, AStarvedWindowOfAGroupShowsEveryKeyFrameOnTime) {
    ManualPlay play(Sample("starved.rec", 4, 25), 0, 4000000);
    Shows& shows = play.shows;
    vintrel::SetDecodeCost(play.port, 30, 300);
    std::string late, keys;
    size_t seen = 1;
    for (int clock = 10; clock <= 3500; clock += 10) {
        vintrel::AdvanceManualClock(10);
        const std::vector<int> stamps = Stamps(shows);
        for (; seen < stamps.size(); ++seen)
            if (clock - stamps[seen] >= 40) late += std::to_string(stamps[seen]) + "@" + std::to_string(clock) + " ";
        if (clock % 1000 == 0 && clock >= 2000) keys += std::to_string(stamps.back()) + " ";
    }
    EXPECT_EQ(late, "");
    EXPECT_EQ(keys, "2000 3000 ");
    // Second 2 went on as long as the key frame after it stayed in reach.
    const std::vector<int> stamps = Stamps(shows);
    EXPECT_GT(std::count_if(stamps.begin(), stamps.end(), [](int t) { return t > 2000 && t < 3000; }), 15);
}

// The frames already decoded are shown on time while the decoder is stuck
// in a unit (a key frame that takes long on a busy machine); the decoder
// goes on where it stopped.
TEST(VintrelPace, DecodedFramesAreShownWhileTheDecoderIsBusy) {
    const auto bytes = Sample("busy.rec", 2);
    for (int group : {0, -1}) {
        SCOPED_TRACE(group);
        ManualPlay play(bytes, group, 3000000);
        Shows& shows = play.shows;
        const int port = play.port;
        ASSERT_TRUE(kel_test::WaitUntil([&] { return Ostrum_GetBufferValue(port, OSTRUM_BUF_VIDEO) == 5; }));
        vintrel::HoldDecoder(port, true);
        for (int i = 0; i < 5; ++i) vintrel::AdvanceManualClock(40);
        EXPECT_EQ(Stamps(shows), Range(0, 200));
        vintrel::HoldDecoder(port, false);
        for (int i = 0; i < 5; ++i) vintrel::AdvanceManualClock(40);
        EXPECT_EQ(Stamps(shows), Range(0, 400));
    }
}

// A playing window keeps no decoded pictures for stepping back; pausing
// starts the history with the picture on screen, and stepping back past it
// decodes again from the key frame before: the very pictures shown while
// playing, across a key frame. Playing again lets them go.
TEST(VintrelPace, OnlyAPausedWindowKeepsPicturesForSteppingBack) {
    ManualPlay play(Sample("history.rec", 3, 25), -1, 2000000);
    Shows& shows = play.shows;
    const int port = play.port;
    for (int i = 0; i < 30; ++i) {
        vintrel::AdvanceManualClock(40);
        EXPECT_EQ(vintrel::KeptPictureBytes(port), 0u);
    }
    ASSERT_EQ(Stamps(shows), Range(0, 1200));
    std::vector<uint32_t> played;
    {
        std::lock_guard<std::mutex> lk(shows.m);
        played = shows.hashes;
    }
    ASSERT_TRUE(Ostrum_Pause(port, 1));
    const size_t one = vintrel::KeptPictureBytes(port);
    EXPECT_GE(one, 320u * 240u * 3 / 2);
    for (int i = 0; i < 8; ++i) ASSERT_TRUE(Ostrum_OneByOneBack(port)) << i;   // back to 880, before the key frame at 1000
    {
        std::lock_guard<std::mutex> lk(shows.m);
        const std::vector<int> back(shows.stamps.begin() + 31, shows.stamps.end());
        EXPECT_EQ(back, std::vector<int>({1160, 1120, 1080, 1040, 1000, 960, 920, 880}));
        for (size_t i = 31; i < shows.stamps.size(); ++i)
            EXPECT_EQ(shows.hashes[i], played[static_cast<size_t>(shows.stamps[i] / 40)]) << shows.stamps[i];
    }
    OSTRUM_FILE_TIME key{};
    ASSERT_TRUE(Ostrum_GetPlayedKeyTime(port, &key));
    EXPECT_EQ(std::vector<int>({key.second, key.millisecond}), std::vector<int>({0, 0}));
    EXPECT_GT(vintrel::KeptPictureBytes(port), one);
    ASSERT_TRUE(Ostrum_Pause(port, 0));
    EXPECT_EQ(vintrel::KeptPictureBytes(port), 0u);
}
