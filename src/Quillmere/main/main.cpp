// SPDX-License-Identifier: GPL-3.0-or-later
// Entry point of KEL.
#include "Quillmere/KelStartup.h"

int main(int argc, char** argv) { return KelStartup::Run(argc, argv); }
