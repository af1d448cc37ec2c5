// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the map view learns the interface language and the map service key.
// By default the language is the application module's current language and
// the key the one the main window holds (English and no key when the build
// has neither); tests install sources of their own.
#include <QString>

#include <functional>

namespace MapEnvironment {

// 1 means Chinese; any other value another language.
int CurrentLanguage();
// The plain map service key.
QString MapKey();

// Replace the sources (an empty function restores the default); each returns
// the previous source.
std::function<int()> SetLanguageSource(std::function<int()> source);
std::function<QString()> SetMapKeySource(std::function<QString()> source);

}  // namespace MapEnvironment
