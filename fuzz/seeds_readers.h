// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Seeds of the fuzz targets of the stream readers, the player library, the
// converted files and the record texts, made from hard-disk library media
// written by kel-mediagen (each with the key its recordings are enciphered
// with, or none).
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

void ReaderSeeds(const std::string& outDir,
                 const std::vector<std::pair<std::filesystem::path, std::string>>& media, int* written);
