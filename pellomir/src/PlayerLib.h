// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player library is loaded only when a play call needs it, so that a
// program that only searches, copies or reads pictures and vehicle data pays
// for neither the player nor the GUI libraries behind it.
#include <cstdint>

#include "vintrel.h"

namespace pellomir {

// File name of the player library; looked for beside this library first,
// then along the normal library search path.
constexpr const char* kPlayerLibraryName = "libvintrel.so";
// The player's entry points used here.
#define PELLOMIR_PLAYER_CALLS(X)                                                                                       \
    X(GetPort)                                                                                                         \
    X(FreePort)                                                                                                        \
    X(GetLastError)                                                                                                    \
    X(SetStreamOpenMode)                                                                                               \
    X(SetSecretKey)                                                                                                    \
    X(SetSycGroup)                                                                                                     \
    X(SetDecodeEngineEx)                                                                                               \
    X(OpenStream)                                                                                                      \
    X(CloseStream)                                                                                                     \
    X(InputData)                                                                                                       \
    X(Play)                                                                                                            \
    X(ReversePlay)                                                                                                     \
    X(Stop)                                                                                                            \
    X(Pause)                                                                                                           \
    X(Fast)                                                                                                            \
    X(Slow)                                                                                                            \
    X(OneByOne)                                                                                                        \
    X(OneByOneBack)                                                                                                    \
    X(RefreshPlay)                                                                                                     \
    X(PlaySound)                                                                                                       \
    X(StopSound)                                                                                                       \
    X(SetVolume)                                                                                                       \
    X(ThrowBFrameNum)                                                                                                  \
    X(SetColor)                                                                                                        \
    X(GetColor)                                                                                                        \
    X(GetPictureSize)                                                                                                  \
    X(RigisterDrawFun)                                                                                                 \
    X(SetAdditionDataCallBack)                                                                                         \
    X(ResetSourceBuffer)                                                                                               \
    X(ResetBuffer)                                                                                                     \
    X(GetSpecialData)                                                                                                  \
    X(GetJPEG)                                                                                                         \
    X(GetSourceBufferRemain)                                                                                           \
    X(GetCurrentFrameNum)

struct PlayerCalls {
#define PELLOMIR_PLAYER_MEMBER(name) decltype(&Ostrum_##name) name = nullptr;
    PELLOMIR_PLAYER_CALLS(PELLOMIR_PLAYER_MEMBER)
#undef PELLOMIR_PLAYER_MEMBER
};

// Loads the player library once (thread-safe) and resolves its calls. Null,
// with the last error set to DVR_FILE_ERR_NO_PLAYER, when it cannot be loaded
// or lacks one of the calls; a later call does not try again.
const PlayerCalls* LoadPlayer();

// The loaded player's calls. Only for code that holds a player port, which
// exists only once LoadPlayer succeeded.
const PlayerCalls& Player();

// True once the player library is loaded.
bool PlayerLoaded();

// True when the player library is already in the process (loaded by the
// program or another module), without loading it.
bool PlayerInProcess();

}  // namespace pellomir
