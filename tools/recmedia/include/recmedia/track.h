// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The vehicle track of a sample medium: one sample per second along a
// deterministic route (GPS, speed, heading, G-sensor, lights, brake, gear).
// Recordings embed it as vehicle-data blocks; the vehicle-data files and the
// event records are written from the same samples, so every view agrees.
#include <cstdint>
#include <vector>

namespace recmedia {

struct TrackSample {
    uint32_t time = 0;          // recorder seconds (civil time counted as UTC)
    bool gpsValid = true;
    double latitude = 0;        // degrees, south negative
    double longitude = 0;       // degrees, west negative
    double speedKmh = 0;
    double headingDeg = 0;      // 0..360; negative = none
    int satellites = 0;
    char locateMode = 'A';
    int gScale = 1000;          // sample units per g (0 = no G-sensor data)
    int16_t gx[10] = {};
    int16_t gy[10] = {};
    int16_t gz[10] = {};
    bool leftLight = false;
    bool rightLight = false;
    bool brake = false;
    bool alarm = false;
    bool reverse = false;
};

// Samples for every second of [start, start + seconds), deterministic for a
// given seed.
std::vector<TrackSample> MakeTrack(uint32_t seed, uint32_t start, uint32_t seconds);

}  // namespace recmedia
