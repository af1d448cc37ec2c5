// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QStandardItemModel>
#include <QTest>
#include <QTimer>

#include "common/LoadingWidget.h"
#include "common/MultiCheckCombox.h"
#include "common/SaveWarning.h"
#include "common/ScreenNote.h"
#include "common/TipDialog.h"
#include "kel_test/test_support.h"
#include "ziraz/widgets.h"

namespace {

void Tick(LoadingWidget& w, int times) {
    for (int i = 0; i < times; ++i) ASSERT_TRUE(QMetaObject::invokeMethod(&w, "onShowDialog"));
}

TEST(LoadingWidget, FramesCycleOneToEight) {
    LoadingWidget w;
    EXPECT_EQ(w.size(), QSize(90, 90));
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_EQ(w.currentFrame(), 0);
    Tick(w, 1);
    EXPECT_EQ(w.currentFrame(), 1);
    Tick(w, 7);
    EXPECT_EQ(w.currentFrame(), 8);
    Tick(w, 1);
    EXPECT_EQ(w.currentFrame(), 1);
    EXPECT_EQ(LoadingWidget::framePath(8), ":/Quillmere/Images/PlayBack/Search/8.png");
}

TEST(LoadingWidget, RunsWhileHiddenAndItsTimerGoesWithIt) {
    LoadingWidget* w = new LoadingWidget;
    ASSERT_FALSE(w->isVisible());
    EXPECT_TRUE(kel_test::WaitUntil([&] { return w->currentFrame() >= 1; }));
    QPointer<QTimer> timer = w->findChild<QTimer*>();
    ASSERT_TRUE(timer);
    EXPECT_TRUE(timer->isActive());
    delete w;
    EXPECT_TRUE(timer.isNull());
}

TEST(LoadingWidget, CloseSlotClosesAShownDialog) {
    LoadingWidget w;
    w.show();
    ASSERT_TRUE(w.isVisible());
    ASSERT_TRUE(QMetaObject::invokeMethod(&w, "onCloseDialog"));
    EXPECT_FALSE(w.isVisible());
}

// A modal message box as the operator saw it.
struct ShownBox {
    QString title;
    QString text;
    QWidget* window = nullptr;
};

// Runs `open` and answers every message box it shows while it runs: the box
// is noted, then closed.
std::vector<ShownBox> AnswerBoxes(const std::function<void()>& open) {
    std::vector<ShownBox> shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        shown.push_back(ShownBox{box->windowTitle(), box->text(), box->parentWidget()});
        box->done(QMessageBox::Ok);
    });
    poll.start(0);
    open();
    return shown;
}

// A refused save folder is told in a box titled "Warn" over the asking
// widget's window; an accepted one shows nothing.
TEST(SaveWarning, RefusedFolderIsToldOverTheWindow) {
    struct Row {
        const char* name;
        bool exists;
        bool writable;
        uint64_t freeBytes;
        QString warning;
    } rows[] = {
        {"room enough", true, true, kSavePathMinFreeBytes, ""},
        {"no room", true, true, kSavePathMinFreeBytes - 1, "Save failed, disk free space is less than 2GB"},
        {"missing", false, true, kSavePathMinFreeBytes, "The file path is not exist."},
        {"read-only", true, false, kSavePathMinFreeBytes, "The directory has no write permissions."},
    };
    QWidget top;
    QWidget* child = new QWidget(&top);
    top.show();
    for (const Row& r : rows) {
        SavePathProbe probe;
        probe.exists = [&r](const QString&) { return r.exists; };
        probe.writable = [&r](const QString&) { return r.writable; };
        probe.freeBytes = [&r](const QString&, uint64_t* b) {
            *b = r.freeBytes;
            return true;
        };
        SetSavePathProbe(probe);
        bool ok = false;
        const std::vector<ShownBox> shown = AnswerBoxes([&] { ok = CheckSavePath("D:/Video", child); });
        EXPECT_EQ(r.warning.isEmpty(), ok) << r.name;
        if (r.warning.isEmpty()) {
            EXPECT_TRUE(shown.empty()) << r.name;
            continue;
        }
        ASSERT_EQ(1u, shown.size()) << r.name;
        EXPECT_EQ("Warn", shown[0].title) << r.name;
        EXPECT_EQ(r.warning, shown[0].text) << r.name;
        EXPECT_EQ(&top, shown[0].window) << r.name;
    }
    SetSavePathProbe(SavePathProbe{});

    // A code outside the table shows an empty text, without a window.
    const std::vector<ShownBox> shown = AnswerBoxes([] { ShowSaveWarning(7, nullptr); });
    ASSERT_EQ(1u, shown.size());
    EXPECT_EQ("Warn", shown[0].title);
    EXPECT_EQ("", shown[0].text);
    EXPECT_EQ(nullptr, shown[0].window);
}

TEST(ScreenNote, WholeTextAtTheBottomRightUntilItClosesItself) {
    const QString text = "/opt/KEL/output/Clip/ch03_20240301080000.mp4";
    QPointer<QLabel> note = ShowScreenNote(text);
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->isWindow());
    EXPECT_EQ(text, note->text());
    EXPECT_GE(note->contentsRect().width(), note->fontMetrics().horizontalAdvance(text));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(area.bottomRight(), note->geometry().bottomRight());
    EXPECT_TRUE(kel_test::WaitUntil([&] { return note.isNull(); }));
}

TEST(TipDialog, QuestionTextAndAnswers) {
    QWidget page;
    TipDialog dialog(&page);
    EXPECT_EQ(dialog.tipText(), "sure");
    dialog.resize(350, 220);
    dialog.setTitle("Information");
    dialog.setTipText("Save new settings?");
    EXPECT_EQ(dialog.tipText(), "Save new settings?");
    QLabel* label = dialog.findChild<QLabel*>("m_labelTip");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(dialog.isAncestorOf(label));

    // A page test answers through the presenter.
    {
        QString asked;
        ziraz::ScopedDialogPresenter hook([&](const ziraz::DialogCall& call) -> std::optional<int> {
            if (auto* tip = qobject_cast<TipDialog*>(call.dialog)) asked = tip->tipText();
            return 0;
        });
        EXPECT_EQ(dialog.exec(), 0);
        EXPECT_EQ(asked, "Save new settings?");
    }
    // The real run: confirm gives 1.
    QTimer::singleShot(0, dialog.confirmButton(), &QPushButton::click);
    EXPECT_EQ(dialog.exec(), 1);
}

QStandardItemModel* CheckModel(const QStringList& texts) {
    QStandardItemModel* model = new QStandardItemModel;
    for (const QString& t : texts) {
        QStandardItem* item = new QStandardItem(t);
        item->setData(int(Qt::Unchecked), CMultiCheckCombox::kCheckRole);
        model->appendRow(item);
    }
    return model;
}

TEST(MultiCheckCombox, HeadShowsWhatFitsAndTheRestInTheTooltip) {
    CMultiCheckCombox combo;
    EXPECT_EQ(combo.width(), 310);
    EXPECT_TRUE(combo.popupWidget()->isHidden());
    EXPECT_TRUE(combo.dotLabel()->isHidden());
    EXPECT_EQ(combo.dotLabel()->text(), QString::fromUtf8("\xC2\xB7\xC2\xB7\xC2\xB7"));
    combo.setModel(nullptr);
    EXPECT_EQ(combo.model(), nullptr);

    QStringList texts;
    for (int i = 1; i <= 12; ++i) texts << QString("Channel %1").arg(i);
    QPointer<QStandardItemModel> model = CheckModel(texts);
    combo.setModel(model);
    EXPECT_EQ(combo.model(), model.data());

    combo.refreshCheckedText();
    EXPECT_TRUE(combo.shownTexts().isEmpty());
    EXPECT_TRUE(combo.dotLabel()->isHidden());

    for (int row : {0, 2, 3, 5, 6, 7, 8, 9, 10}) model->setData(model->index(row, 0), int(Qt::Checked), CMultiCheckCombox::kCheckRole);
    const QModelIndexList checked = combo.checkedIndexes();
    ASSERT_EQ(checked.size(), 9);
    EXPECT_EQ(checked.first().row(), 0);
    EXPECT_EQ(checked.last().row(), 10);

    // A click in the list rebuilds the head.
    emit combo.view()->SignalClicked(model->index(0, 0));
    QStringList all;
    for (const QModelIndex& i : checked) all << i.data().toString();
    QStringList shown, overflow;
    combo.splitTexts(all, &shown, &overflow);
    ASSERT_FALSE(overflow.isEmpty()) << "nine labels must pass the head's width";
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown + overflow, all);
    EXPECT_EQ(combo.shownTexts(), shown);
    EXPECT_FALSE(combo.dotLabel()->isHidden());
    EXPECT_EQ(combo.dotLabel()->toolTip(), overflow.join(","));

    combo.clearChecked();
    EXPECT_TRUE(combo.checkedIndexes().isEmpty());
    combo.refreshCheckedText();
    EXPECT_TRUE(combo.shownTexts().isEmpty());
    EXPECT_TRUE(combo.dotLabel()->isHidden());
}

// The head says "Select..." while nothing is ticked and follows the model
// when the page ticks or unticks rows itself (no click in the list).
TEST(MultiCheckCombox, HeadHintAndRowsTickedByThePage) {
    CMultiCheckCombox combo;
    combo.show();
    QStandardItemModel* model = CheckModel({"Channel 1", "Channel 2", "Channel 3"});
    combo.setModel(model);
    QApplication::processEvents();
    EXPECT_FALSE(combo.placeholderLabel()->isHidden());
    EXPECT_EQ(combo.placeholderLabel()->text(), "Select...");
    EXPECT_TRUE(combo.shownTexts().isEmpty());
    model->setData(model->index(1, 0), int(Qt::Checked), CMultiCheckCombox::kCheckRole);
    EXPECT_EQ(combo.shownTexts(), QStringList{"Channel 2"});
    EXPECT_TRUE(combo.placeholderLabel()->isHidden());
    combo.clearChecked();
    EXPECT_TRUE(combo.shownTexts().isEmpty());
    EXPECT_FALSE(combo.placeholderLabel()->isHidden());
    // A click on the head, not only on its arrow, opens the list.
    QTest::mouseClick(combo.placeholderLabel()->parentWidget(), Qt::LeftButton);
    EXPECT_TRUE(combo.popupWidget()->isVisible());
    combo.popupWidget()->hide();
}

TEST(MultiCheckCombox, SplitKeepsOrderOnceTheLimitIsPassed) {
    // A long text passes the limit; a later short one overflows as well.
    const QString longText(200, QLatin1Char('W'));
    QStringList shown, overflow;
    CMultiCheckCombox combo;
    combo.splitTexts({"a", longText, "b"}, &shown, &overflow);
    EXPECT_EQ(shown, QStringList{"a"});
    EXPECT_EQ(overflow, (QStringList{longText, "b"}));

    combo.setCheckedTexts({"a", longText, "b"});
    EXPECT_EQ(combo.shownTexts(), QStringList{"a"});
    EXPECT_EQ(combo.dotLabel()->toolTip(), longText + ",b");
}

// Whatever is ticked and however narrow the head (a narrow window, the
// page beside the viewers), the head shows the first ticked entry, whole or
// shortened with "…" within its tag, never the "···" alone; the tags and the
// "···" stay inside the head. Measured in the head's own font.
TEST(MultiCheckCombox, HeadNeverShowsTheDotsAlone) {
    const QString chinese = QString::fromUtf8("\xe9\x80\x9a\xe9\x81\x93");   // "channel"
    QStringList types;
    for (int i = 1; i <= 15; ++i)
        types << QString::fromUtf8("\xe9\xa9\xbe\xe9\xa9\xb6\xe5\x91\x98\xe7\x96\xb2\xe5\x8a\xb3\xe9\xa9\xbe"
                                   "\xe9\xa9\xb6\xe6\x8a\xa5\xe8\xad\xa6") + QString::number(i);
    QStringList channels;
    for (int i = 1; i <= 16; ++i) channels << chinese + QString::number(i);
    const QStringList wide = {QString(60, QChar(0x9a7e)), "b"};
    const struct {
        const char* what;
        QStringList texts;
    } lists[] = {{"types", types}, {"channels", channels}, {"first wider than the head", wide}};
    for (int width : {310, 200}) {
        for (const auto& l : lists) {
            SCOPED_TRACE(std::string(l.what) + " at " + std::to_string(width));
            QWidget window;
            auto* layout = new QHBoxLayout(&window);
            auto* combo = new CMultiCheckCombox;
            layout->addWidget(combo);
            window.resize(width, 40);
            window.show();
            QStandardItemModel* model = CheckModel(l.texts);
            combo->setModel(model);
            for (int r = 0; r < model->rowCount(); ++r)
                model->setData(model->index(r, 0), int(Qt::Checked), CMultiCheckCombox::kCheckRole);
            QApplication::processEvents();
            QApplication::processEvents();
            const QStringList shown = combo->shownTexts();
            ASSERT_FALSE(shown.isEmpty());
            EXPECT_EQ(shown.first(), l.texts.first());
            QWidget* head = combo->findChild<QWidget*>("m_pInfoWidget");
            ASSERT_TRUE(head);
            for (QLabel* tag : combo->findChildren<QLabel*>("m_checkedTag")) {
                if (!tag->isVisible()) continue;
                const QRect inHead(tag->mapTo(head, QPoint(0, 0)), tag->size());
                EXPECT_TRUE(head->rect().contains(inHead)) << tag->text().toStdString();
                EXPECT_LE(tag->fontMetrics().horizontalAdvance(tag->text()), tag->contentsRect().width())
                    << tag->text().toStdString();
            }
            if (combo->dotLabel()->isVisible())
                EXPECT_TRUE(head->rect().contains(
                    QRect(combo->dotLabel()->mapTo(head, QPoint(0, 0)), combo->dotLabel()->size())));
        }
    }
}

TEST(MultiCheckCombox, ArrowShowsThePopupBelowTheHead) {
    CMultiCheckCombox combo;
    combo.setModel(CheckModel({"x"}));
    combo.show();
    combo.onClickArrowBtn();
    QWidget* popup = combo.popupWidget();
    EXPECT_TRUE(popup->isVisible());
    QWidget* info = combo.findChild<QWidget*>("m_pInfoWidget");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(popup->pos(), info->mapToGlobal(QPoint(0, 0)) + QPoint(0, info->height()));
    popup->hide();
}

TEST(MultiCheckCombox, OwnsItsModel) {
    QPointer<QStandardItemModel> model = CheckModel({"x"});
    {
        CMultiCheckCombox combo;
        combo.setModel(model);
    }
    EXPECT_TRUE(model.isNull());
}

}  // namespace
