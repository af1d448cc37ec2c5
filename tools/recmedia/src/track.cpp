// SPDX-License-Identifier: GPL-3.0-or-later
// The sample vehicle track: a car doing laps of a loop round a city centre.
//
// One lap is simulated at 10 steps per second: it leaves the depot, drives
// the loop's segments (cruising at a speed of its own on each, slowing for
// turns with the indicator on, stopping at some lights), and at the end parks
// back at the depot, reversing a few metres into the bay. The lap repeats
// forever; a recorder second maps onto the lap by its absolute time, so every
// recording, vehicle-data file and event of a medium shows the same vehicle.
#include "recmedia/track.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace recmedia {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kCentreLat = 30.2741;
constexpr double kCentreLon = 120.1551;
constexpr double kMetresPerDegree = 111320.0;
constexpr int kStepsPerSecond = 10;
constexpr double kDt = 1.0 / kStepsPerSecond;
constexpr double kG = 9.80665;

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}
uint64_t Hash(uint64_t a, uint64_t b, uint64_t c = 0, uint64_t d = 0) { return Mix(Mix(Mix(Mix(a) ^ b) ^ c) ^ d); }
// Uniform in [0, 1).
double Unit(uint64_t h) { return static_cast<double>(h >> 11) / 9007199254740992.0; }

struct Point {
    double x, y;  // metres east and north of the centre
};

// The loop, anticlockwise seen from above, with one dent (a right turn); the
// depot is at the first point.
const Point kRoute[] = {{0, -1200}, {1500, -1200}, {1500, 0},     {1100, 900},  {500, 700},
                        {0, 1300},  {-1300, 900},  {-1600, -200}, {-900, -1200}};
constexpr int kSegments = sizeof(kRoute) / sizeof(kRoute[0]);

double Bearing(const Point& a, const Point& b) {
    double deg = std::atan2(b.x - a.x, b.y - a.y) * 180.0 / kPi;
    return deg < 0 ? deg + 360.0 : deg;
}
double Turn(double from, double to) {  // signed, -180..180, positive = right
    double d = std::fmod(to - from + 540.0, 360.0) - 180.0;
    return d;
}

struct LapSecond {
    double x = 0, y = 0;
    double speedKmh = 0;
    double heading = 0;
    bool left = false, right = false, brake = false, reverse = false;
    double ax[kStepsPerSecond] = {};  // forward, m/s^2
    double ay[kStepsPerSecond] = {};  // lateral, m/s^2 (positive = to the right)
    bool hardBrake[kStepsPerSecond] = {};
};

struct SegmentPlan {
    double length, bearing, cruise;  // cruise in m/s
    bool stop;
    double hold;                     // seconds standing at the lights
};

std::vector<LapSecond> SimulateLap(uint32_t seed) {
    SegmentPlan plan[kSegments];
    for (int i = 0; i < kSegments; ++i) {
        const Point& a = kRoute[i];
        const Point& b = kRoute[(i + 1) % kSegments];
        plan[i].length = std::hypot(b.x - a.x, b.y - a.y);
        plan[i].bearing = Bearing(a, b);
        double kmh = 35 + 60 * Unit(Hash(seed, 1, i));
        if (i == 1) kmh = 108;  // the ring road
        plan[i].cruise = kmh / 3.6;
        plan[i].stop = i == kSegments - 1 || Unit(Hash(seed, 2, i)) < 0.45;
        plan[i].hold = 8 + std::floor(27 * Unit(Hash(seed, 3, i)));
    }

    enum Phase { kDrive, kLights, kParkWait, kReverse, kReverseWait, kCreep, kParked };
    Phase phase = kDrive;
    int seg = 0;
    double d = 0, v = 0, timer = 0;
    double lastHeading = plan[0].bearing;
    std::vector<LapSecond> lap;
    LapSecond cur;
    int step = 0;
    bool done = false;
    while (!done) {
        const SegmentPlan& p = plan[seg];
        const SegmentPlan& next = plan[(seg + 1) % kSegments];
        double turn = Turn(p.bearing, next.bearing);
        double a = 0;
        bool brake = false, reverse = false;
        switch (phase) {
        case kDrive: {
            double left = p.length - d;
            double endSpeed = p.stop ? 0.0 : (std::fabs(turn) > 20 ? 5.5 : p.cruise);
            double allowed = std::sqrt(endSpeed * endSpeed + 2 * 2.0 * std::max(0.0, left - 1.0));
            double target = std::min(p.cruise, std::max(allowed, p.stop ? 1.0 : 0.0));
            a = std::clamp((target - v) / kDt, -3.5, 1.3);
            v = std::max(0.0, v + a * kDt);
            d += v * kDt;
            brake = a < -0.4;
            if (p.stop && (d >= p.length || (left < 2.0 && v < 1.5))) {
                a = -v / kDt;
                v = 0;
                d = p.length;
                timer = 0;
                brake = true;
                phase = seg == kSegments - 1 ? kParkWait : kLights;
            } else if (d >= p.length) {
                d -= p.length;
                seg = (seg + 1) % kSegments;
            }
            break;
        }
        case kLights:
            brake = true;
            if ((timer += kDt) >= p.hold) {
                seg = (seg + 1) % kSegments;
                d = 0;
                phase = kDrive;
            }
            break;
        case kParkWait:
            brake = true;
            if ((timer += kDt) >= 10) timer = 0, phase = kReverse;
            break;
        case kReverse:
            reverse = true;
            v = -1.4;
            d += v * kDt;
            if ((timer += kDt) >= 6) timer = 0, v = 0, brake = true, phase = kReverseWait;
            break;
        case kReverseWait:
            brake = true;
            if ((timer += kDt) >= 4) timer = 0, phase = kCreep;
            break;
        case kCreep:
            v = 1.4;
            d += v * kDt;
            if (d >= p.length) d = p.length, v = 0, timer = 0, brake = true, phase = kParked;
            break;
        case kParked:
            if ((timer += kDt) >= 20) done = true;
            break;
        }

        // Where the car is now (the step may have moved it to the next segment).
        const SegmentPlan& q = plan[seg];
        const SegmentPlan& qNext = plan[(seg + 1) % kSegments];
        const SegmentPlan& qPrev = plan[(seg + kSegments - 1) % kSegments];
        const double qTurn = Turn(q.bearing, qNext.bearing);
        const double qTurnIn = Turn(qPrev.bearing, q.bearing);

        // Heading, rounded over the last and first 8 m of each segment.
        double heading = q.bearing;
        double left = q.length - d;
        if (left < 8 && phase == kDrive)
            heading = q.bearing + qTurn * (8 - left) / 16.0;
        else if (d < 8 && phase == kDrive)
            heading = qPrev.bearing + qTurnIn * (0.5 + d / 16.0);
        heading = std::fmod(heading + 360.0, 360.0);
        double yawRate = Turn(lastHeading, heading) * kPi / 180.0 / kDt;
        lastHeading = heading;

        int k = step % kStepsPerSecond;
        cur.ax[k] = a;
        cur.ay[k] = v * yawRate;
        cur.hardBrake[k] = a < -2.5;
        cur.brake = cur.brake || brake;
        cur.reverse = cur.reverse || reverse;
        if (k == kStepsPerSecond - 1 || done) {
            const Point& s = kRoute[seg];
            double rad = q.bearing * kPi / 180.0;
            cur.x = s.x + std::sin(rad) * d;
            cur.y = s.y + std::cos(rad) * d;
            cur.speedKmh = std::fabs(v) * 3.6;
            cur.heading = heading;
            bool signal = (phase == kDrive || phase == kLights) && std::fabs(qTurn) > 20 && left < 70;
            bool signalAfter = phase == kDrive && d < 10 && std::fabs(qTurnIn) > 20;
            double t = signal ? qTurn : signalAfter ? qTurnIn : 0;
            cur.left = t < 0;
            cur.right = t > 0;
            lap.push_back(cur);
            cur = LapSecond();
        }
        ++step;
    }
    return lap;
}

int16_t ToSample(double value) { return static_cast<int16_t>(std::clamp(std::lround(value), -32768L, 32767L)); }

}  // namespace

std::vector<TrackSample> MakeTrack(uint32_t seed, uint32_t start, uint32_t seconds) {
    std::vector<LapSecond> lap = SimulateLap(seed);
    const uint64_t lapLength = lap.size();
    const uint64_t phase = Hash(seed, 7) % lapLength;
    const double cosLat = std::cos(kCentreLat * kPi / 180.0);
    std::vector<TrackSample> out;
    out.reserve(seconds);
    for (uint32_t i = 0; i < seconds; ++i) {
        uint32_t t = start + i;
        const LapSecond& l = lap[(t + phase) % lapLength];
        TrackSample s;
        s.time = t;
        s.latitude = kCentreLat + l.y / kMetresPerDegree;
        s.longitude = kCentreLon + l.x / (kMetresPerDegree * cosLat);
        s.speedKmh = l.speedKmh;
        s.headingDeg = l.heading;
        s.satellites = 6 + static_cast<int>(Hash(seed, 11, t / 30) % 7);
        s.locateMode = 'A';
        // Now and then the fix is lost for a few seconds (a tunnel, a car park).
        if (Hash(seed, 13, t / 900) % 6 == 0 && t % 900 < 12) {
            s.gpsValid = false;
            s.satellites = static_cast<int>(Hash(seed, 17, t) % 3);
            s.headingDeg = -1;
        }
        s.gScale = 1000;
        for (int k = 0; k < 10; ++k) {
            double noise = (Unit(Hash(seed, 19, t, k)) - 0.5) * 30;
            double bump = l.hardBrake[k] ? 120 + 80 * Unit(Hash(seed, 23, t, k)) : 0;
            s.gx[k] = ToSample(l.ax[k] / kG * 1000 + noise);
            s.gy[k] = ToSample(l.ay[k] / kG * 1000 + (Unit(Hash(seed, 29, t, k)) - 0.5) * 30);
            s.gz[k] = ToSample(1000 + (Unit(Hash(seed, 31, t, k)) - 0.5) * 40 + bump);
        }
        s.leftLight = l.left;
        s.rightLight = l.right;
        s.brake = l.brake;
        s.reverse = l.reverse;
        s.alarm = Hash(seed, 37, t / 1200) % 3 == 0 && t % 1200 >= 600 && t % 1200 < 605;
        out.push_back(s);
    }
    return out;
}

}  // namespace recmedia
