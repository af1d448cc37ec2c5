// SPDX-License-Identifier: GPL-3.0-or-later
// The batch downloader program.
#include "LorrimaxStartup.h"

int main(int argc, char** argv) { return RunLorrimax(argc, argv); }
