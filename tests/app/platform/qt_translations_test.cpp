// Qt's own dialogs and menus speak the user's language, and Russian when Qt has nothing for it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include "app/platform/qt_translations.h"

namespace {

// Installs the translations for one test and takes them away again at its end.
struct InstalledTranslations {
    explicit InstalledTranslations(const QLocale& locale) : translator(morvalen::app::install_qt_translations(locale)) {}
    ~InstalledTranslations() { delete translator; }
    InstalledTranslations(const InstalledTranslations&) = delete;
    InstalledTranslations& operator=(const InstalledTranslations&) = delete;
    QTranslator* translator;
};

QString save_as_caption() { return QCoreApplication::translate("QFileDialog", "Save As"); }

TEST(QtTranslations, RussianDesktopGetsRussianDialogs) {
    InstalledTranslations installed(QLocale(QLocale::Russian, QLocale::Russia));
    ASSERT_NE(installed.translator, nullptr)
        << "no Qt translations in " << morvalen::app::qt_translations_folder().toStdString()
        << ": install qt6-translations-l10n";
    EXPECT_EQ(save_as_caption(), QString::fromUtf8("Сохранить как"));
}

TEST(QtTranslations, LanguagesQtDoesNotSpeakFallBackToRussian) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::Swahili, QLocale::Kenya)}) {
        InstalledTranslations installed(locale);
        ASSERT_NE(installed.translator, nullptr) << locale.name().toStdString();
        EXPECT_EQ(save_as_caption(), QString::fromUtf8("Сохранить как")) << locale.name().toStdString();
    }
}

TEST(QtTranslations, ALanguageQtSpeaksIsTakenFromTheDesktop) {
    InstalledTranslations installed(QLocale(QLocale::German, QLocale::Austria));
    ASSERT_NE(installed.translator, nullptr);
    EXPECT_EQ(save_as_caption(), QString::fromUtf8("Speichern unter"));
}

TEST(QtTranslations, NothingInstalledLeavesQtsEnglish) {
    EXPECT_EQ(save_as_caption(), QStringLiteral("Save As"));
}

TEST(QtTranslations, TheSaveDialogAndMessageBoxButtonsAreRussian) {
    InstalledTranslations installed(QLocale::c());
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Отмена"));
    auto* file_name = dialog.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
    ASSERT_NE(file_name, nullptr);
    EXPECT_EQ(file_name->text(), QString::fromUtf8("&Имя файла:"));

    QMessageBox question(QMessageBox::Question, QStringLiteral("?"), QStringLiteral("?"),
                         QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.button(QMessageBox::Yes)->text(), QString::fromUtf8("&Да"));
    EXPECT_EQ(question.button(QMessageBox::No)->text(), QString::fromUtf8("&Нет"));
}

}  // namespace
