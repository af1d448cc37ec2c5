// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared pieces of the batch downloader tests: hand-over files written the
// way the main program writes them, a dialog presenter that records every
// warning and notice, and a settings store set to the test's folders.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTextCodec>

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "Download/Batch/BatchDownloadDialog.h"
#include "storage/ChannelFiles.h"
#include "storage/Settings.h"
#include "kel_test/test_support.h"
#include "ziraz/dialogs.h"

// Texts in test messages as text.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace lorrimax_test {

inline QString Home() { return kel_test::ProgramFolder(); }

// Writes an XML hand-over file with the declaration encoding "GB2312",
// encoded in that code page.
inline void WriteGb2312(const QString& name, const QString& root, const QString& body) {
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<%1>%2</%1>\n").arg(root, body);
    QTextCodec* codec = QTextCodec::codecForName("GB2312");
    ASSERT_NE(codec, nullptr);
    ASSERT_TRUE(kel_test::WriteFile(Home() + "/" + name, codec->fromUnicode(text)));
}

inline void WriteSearchedFile(const std::vector<ChannelFiles*>& blocks) {
    QString body;
    for (const ChannelFiles* b : blocks) body += b->ToXml();
    WriteGb2312(QStringLiteral("SearchedFile.xml"), QStringLiteral("SearchedFile"), body);
}

inline void WriteDiskFile(const QStringList& disks) {
    QString body;
    for (const QString& d : disks) body += QStringLiteral("<Disk><DiskName>%1</DiskName></Disk>").arg(d.toHtmlEscaped());
    WriteGb2312(QStringLiteral("DiskFile.xml"), QStringLiteral("DiskInfos"), body);
}

// Removes every entry of the process-wide settings store.
inline void ClearSettings() {
    CSettingsStore* s = CSettingsStore::GetInstance();
    std::vector<CSettings*> old;
    s->GetAll(old);
    s->ReplaceAll({});
    for (CSettings* e : old) delete e;
}

// Records warnings, message boxes and notices; modal runs (the progress
// dialog of the row builder) run for real.
class Presenter {
public:
    Presenter()
        : m_scope([this](const ziraz::DialogCall& call) -> std::optional<int> {
              if (call.kind == ziraz::DialogKind::Modal) return std::nullopt;
              calls.push_back(call);
              return 1;
          }) {}
    QStringList Texts(ziraz::DialogKind kind) const {
        QStringList out;
        for (const auto& c : calls)
            if (c.kind == kind) out << c.text;
        return out;
    }
    std::vector<ziraz::DialogCall> calls;

private:
    ziraz::ScopedDialogPresenter m_scope;
};

// A dialog as the program entry sets it up, with its exit caught.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath, Home() + "/dl");
        CSettingsStore::GetInstance()->SetValueText(SettingKey::EvidenceVideoSavePath, Home() + "/ev");
        m_oldExit = Lorrimax::setExitFunction([this](int code) { exitCodes.push_back(code); });
    }
    void TearDown() override {
        dialog.reset();
        Lorrimax::setExitFunction(m_oldExit);
    }
    Lorrimax& Make(int mode = 0) {
        dialog.reset(new Lorrimax);
        dialog->setTitleSuffix(QStringLiteral("Lorrimax"));
        dialog->setDiskKind(false);
        dialog->setDownLoadFileType(mode);
        return *dialog;
    }
    QString Cell(int row, int col) const { return dialog->tableModel()->index(row, col).data().toString(); }
    bool Ticked(int row) const { return dialog->tableModel()->isChecked(row); }
    void Tick(int row) { dialog->tableModel()->setData(dialog->tableModel()->index(row, 0), Qt::Checked, Qt::CheckStateRole); }
    uint32_t RowFileSize(int row) const {
        return dialog->tableModel()->index(row, 0).data(BatchFileModel::kFileSizeRole).toUInt();
    }

    Presenter presenter;
    std::unique_ptr<Lorrimax> dialog;
    std::vector<int> exitCodes;

private:
    std::function<void(int)> m_oldExit;
};

}  // namespace lorrimax_test
