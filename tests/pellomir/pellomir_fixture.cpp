// SPDX-License-Identifier: GPL-3.0-or-later
#include "pellomir_fixture.h"

#include <QDir>
#include <QFile>
#include <atomic>

#include "wincompat/drives.h"

namespace {
std::atomic<int> g_serial{0};
}

TestDrives::TestDrives(const std::string& letters, bool marker, int picVersion) : m_letters(letters)
{
    m_base = (kel_test::ProgramFolder() + "/drives" + QString::number(++g_serial)).toStdString();
    QDir().mkpath(QString::fromStdString(m_base));
    std::string table;
    for (char letter : letters) {
        const std::string root = Root(letter);
        QDir().mkpath(QString::fromStdString(root));
        table += std::string("letter ") + letter + " - removable vfat " + root + "\n";
        if (marker)
            WriteMarker(letter, picVersion);
    }
    const std::string tablePath = m_base + "/drives.txt";
    kel_test::WriteFile(QString::fromStdString(tablePath), QByteArray::fromStdString(table));
    m_env = std::make_unique<kel_test::ScopedEnv>("KEL_DRIVES", tablePath);
    wincompat::ReloadDriveTable();
}

TestDrives::~TestDrives()
{
    m_env.reset();
    wincompat::ReloadDriveTable();
}

std::string TestDrives::Root(char letter) const
{
    return m_base + "/disk_" + letter;
}

void TestDrives::WriteMarker(char letter, int picVersion) const
{
    const QByteArray text = "QORWS 1\nfamily=2\npicver=" + QByteArray::number(picVersion) + "\n";
    kel_test::WriteFile(QString::fromStdString(Root(letter) + "/QORWS"), text);
}

std::string TestDrives::NewFolder(const std::string& name) const
{
    const std::string path = m_base + "/" + name;
    QDir().mkpath(QString::fromStdString(path));
    return path;
}

std::vector<std::string> ListFiles(const std::string& folder)
{
    std::vector<std::string> names;
    for (const QString& n : QDir(QString::fromStdString(folder)).entryList(QDir::Files, QDir::Name))
        names.push_back(n.toStdString());
    return names;
}
