// Start-up: Qt's own dialogs in Polish.
#include "shell/startup.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

QString WithoutMnemonic(QString text) {
  return text.remove('&');
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void qtDialogsSpeakPolish();
};

void StartupTest::qtDialogsSpeakPolish() {
  if (!mv::PrepareApplication(*qApp)) QSKIP("Qt's Polish translations are not installed");
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QCOMPARE(WithoutMnemonic(buttons.button(QDialogButtonBox::Cancel)->text()), QString("Anuluj"));
  // The file dialog of Ctrl+O, Qt's own.
  QFileDialog dialog(nullptr, "Otwórz dane jaskini");
  dialog.show();
  QVERIFY(QTest::qWaitForWindowExposed(&dialog));
  auto* lookIn = dialog.findChild<QLabel*>("lookInLabel");
  QVERIFY(lookIn);
  QVERIFY2(!lookIn->text().startsWith("Look in"), qPrintable(lookIn->text()));
  auto* box = dialog.findChild<QDialogButtonBox*>("buttonBox");
  QVERIFY(box);
  QCOMPARE(WithoutMnemonic(box->button(QDialogButtonBox::Cancel)->text()), QString("Anuluj"));
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
