// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers shared by the fuzz targets: a scratch medium folder per process,
// files written from fuzz input, inputs that carry several files, and the
// checksums of the disk formats (recomputed so that the fuzzer reaches the
// code behind each file's checksum test).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelfuzz {

// A fresh folder of this process (below $KEL_FUZZ_TMP, /dev/shm or /tmp),
// removed when the process exits.
const std::string& ScratchDir();
// Empties a folder below the scratch folder (created when missing) and
// returns its path.
std::string CleanFolder(const std::string& name);
// Writes the bytes to the path (folders created); false when it fails.
bool WriteFile(const std::string& path, const void* data, size_t size);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Several files in one input: each piece is a 32-bit little-endian length
// followed by its bytes; a length beyond the end takes what is left. At most
// `maxPieces` pieces; missing pieces are empty.
std::vector<std::vector<uint8_t>> SplitPieces(const uint8_t* data, size_t size, size_t maxPieces);
std::vector<uint8_t> JoinPieces(const std::vector<std::vector<uint8_t>>& pieces);

// Recomputes the checksum of a table file of the hard-disk library (day index,
// device log, event file) or of the qorauto catalogue, when it is long enough
// to carry one.
void FixTableChecksum(std::vector<uint8_t>* bytes);
void FixCatalogChecksum(std::vector<uint8_t>* bytes);
void FixQorautoMarkerChecksum(std::vector<uint8_t>* bytes);
// Recomputes the checksum of a picture index of layout 1 or 2 (the header's
// bytes plus the current entry of every channel slot), when the index is
// whole enough to carry one.
void FixPictureIndexChecksum(int version, std::vector<uint8_t>* bytes);

// The text marker of the hard-disk library's media.
std::string DiskMarkerText(int family, int picVersion);

}  // namespace kelfuzz

namespace kelfuzz {
// A fresh hard-disk library medium in the scratch folder ("disk"): the text
// marker and one table file (its checksum recomputed) at `relativePath`.
// Returns the medium's root.
std::string TableDisk(const std::string& relativePath, std::vector<uint8_t> table);
// Points the drive table at a file that gives letter E: to the scratch
// folder's "disk" folder (call before the first library call).
void UseDriveE();
}  // namespace kelfuzz
