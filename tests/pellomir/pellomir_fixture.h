// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Recorder drives for the library's tests: each letter gets its own folder
// in the test's program folder, published through a drive table.
#include <memory>
#include <string>
#include <vector>

#include "kel_test/test_support.h"

class TestDrives {
public:
    // `letters` such as "EF"; every drive gets the marker unless told not to.
    explicit TestDrives(const std::string& letters, bool marker = true, int picVersion = 1);
    ~TestDrives();

    std::string Root(char letter) const;
    void WriteMarker(char letter, int picVersion) const;
    // A fresh output folder.
    std::string NewFolder(const std::string& name) const;

private:
    std::string m_base;
    std::string m_letters;
    std::unique_ptr<kel_test::ScopedEnv> m_env;
};

std::vector<std::string> ListFiles(const std::string& folder);
