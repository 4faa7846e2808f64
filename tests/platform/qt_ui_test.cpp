#include "platform/ui_qt.h"

#include <gtest/gtest.h>

#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFileDialog>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QWidget>

#include <thread>

#include "support/audio_fixtures.h"
#include "support/qt_ui_environment.h"
#include "support/screenshots.h"

namespace sonvale::platform {
namespace {

using test::top_level_titled;

class QtUiTest : public ::testing::Test {
 protected:
  QtUiTest() : ui_(&test::qt_ui()) {}
  QtUi* ui_;
};

TEST_F(QtUiTest, OpensAWindowWithAFixedClientArea) {
  ASSERT_TRUE(QtUi::display_available());
  ASSERT_TRUE(ui_->open_window(5, Rect{0, 0, 700, 700}, "Sonvale",
                               kWindowInvisible | kWindowCentred | kWindowTitleBar));
  EXPECT_FALSE(ui_->is_window_visible(5));
  ui_->show_window(5, ShowCommand::Show);
  EXPECT_TRUE(ui_->is_window_visible(5));
  const Rect r = ui_->window_rect(5);
  EXPECT_EQ(r.w, 700);
  EXPECT_EQ(r.h, 700);
  EXPECT_EQ(ui_->window_title(5), "Sonvale");
  ui_->close_window(5);
  EXPECT_FALSE(ui_->window_exists(5));
}

TEST_F(QtUiTest, TextGadgetsCarryTextAndColours) {
  ui_->open_window(5, Rect{0, 0, 700, 700}, "Sonvale", kWindowTitleBar);
  ASSERT_TRUE(ui_->create_gadget(5, 13, GadgetKind::Text, Rect{30, 190, 100, 25}, "PLAY"));
  ui_->set_gadget_back_colour(13, rgb(0, 0, 96));
  ui_->set_gadget_text_colour(13, kWhite);
  ui_->set_gadget_text(13, "PAUSED");
  EXPECT_EQ(ui_->gadget_text(13), "PAUSED");
  EXPECT_EQ(ui_->gadget_back_colour(13), 0x600000u);
  EXPECT_EQ(ui_->gadget_rect(13), (Rect{30, 190, 100, 25}));
  ui_->hide_gadget(13, true);
  EXPECT_TRUE(ui_->is_gadget_hidden(13));
  ui_->close_window(5);
  EXPECT_FALSE(ui_->gadget_exists(13));
}

TEST_F(QtUiTest, CloseRequestsBecomeEventsAndCloseNothing) {
  ui_->open_window(5, Rect{0, 0, 700, 700}, "Sonvale", kWindowTitleBar);
  QWidget* w = top_level_titled("Sonvale");
  ASSERT_NE(w, nullptr);
  ui_->post([w] { w->close(); });
  Event e;
  for (int i = 0; i < 50 && e.kind != EventKind::CloseWindow; ++i) e = ui_->wait_event(20);
  EXPECT_EQ(e.kind, EventKind::CloseWindow);
  EXPECT_EQ(e.window, 5);
  EXPECT_TRUE(ui_->window_exists(5));
  ui_->close_window(5);
}

TEST_F(QtUiTest, WaitTimesOutAndRunsPostedWork) {
  bool ran = false;
  ui_->post([&] { ran = true; });
  EXPECT_EQ(ui_->wait_event(10).kind, EventKind::None);
  EXPECT_TRUE(ran);
}

TEST_F(QtUiTest, MessageBoxFromAnotherThreadWaitsForTheAnswer) {
  // The box appears on the user-interface thread; a timer there answers it.
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  answerer.start(10);
  std::atomic<int> answer{-1};
  std::thread engine([&] { answer = ui_->message_box("ERROR", "2", kIconError); });
  while (answer == -1) ui_->wait_event(10);
  engine.join();
  EXPECT_EQ(answer, 1);
}

TEST_F(QtUiTest, ListGadgetsKeepItemsSelectionsAndTheirBytes) {
  ui_->open_window(5, Rect{0, 0, 700, 700}, "Sonvale", kWindowTitleBar);
  ASSERT_TRUE(ui_->create_gadget(5, 23, GadgetKind::List, Rect{10, 250, 680, 380}, ""));
  ui_->set_gadget_back_colour(23, 0x60);
  const std::string odd = "MP3 :44.1>/m-/caf\xe9/Song";  // not UTF-8
  for (const std::string& text : {std::string("one"), odd, std::string("three")}) ui_->add_list_item(23, text);
  EXPECT_EQ(ui_->list_item_count(23), 3);
  EXPECT_EQ(ui_->list_item_text(23, 1), odd);
  EXPECT_EQ(ui_->list_item_text(23, -1), "");
  EXPECT_EQ(ui_->selected_list_item(23), -1);

  ui_->toggle_list_item(23, 2);
  ui_->toggle_list_item(23, 1);
  EXPECT_EQ(ui_->selected_list_item(23), 1);
  EXPECT_TRUE(ui_->is_list_item_selected(23, 2));  // several at once
  ui_->select_list_item(23, 1, false);
  EXPECT_EQ(ui_->selected_list_item(23), 2);
  ui_->remove_list_item(23, 0);
  EXPECT_EQ(ui_->list_item_text(23, 0), odd);
  EXPECT_EQ(ui_->selected_list_item(23), 1);
  ui_->clear_list(23);
  EXPECT_EQ(ui_->list_item_count(23), 0);
  EXPECT_EQ(ui_->gadget_back_colour(23), 0x60u);
  ui_->close_window(5);
}

TEST_F(QtUiTest, TheFileDialogReturnsTheChosenFilesOrNothing) {
  test::TempDir dir;
  test::write_text(dir.file("a.mp3"), "x");
  test::write_text(dir.file("B.FLAC"), "x");
  // Answers the dialog once it is up: chooses the two files, or cancels.
  bool cancel = false;
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (dialog == nullptr) {  // a complaint of the dialog's: fail rather than hang
      ADD_FAILURE() << "unexpected " << modal->metaObject()->className();
      modal->close();
      return;
    }
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Open Audio"));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
    if (cancel) {
      dialog->reject();
      return;
    }
    // Typed into the name field, as a user would; selectFile() ignores a focused field.
    dialog->setDirectory(QString::fromStdString(dir.path()));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QStringLiteral("\"a.mp3\" \"B.FLAC\""));
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides it
  });
  answerer.start(20);
  const std::vector<std::string> chosen = ui_->open_files_dialog("Open Audio", "*.*", "*.WAV;*.FLAC;*.MP3");
  EXPECT_EQ(chosen, (std::vector<std::string>{dir.file("a.mp3"), dir.file("B.FLAC")}));
  cancel = true;
  EXPECT_TRUE(ui_->open_files_dialog("Open Audio", "*.*", "*.WAV").empty());
}

}  // namespace
}  // namespace sonvale::platform
