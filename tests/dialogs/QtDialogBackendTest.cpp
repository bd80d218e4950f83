#include "dialogs/QtDialogBackend.h"
#include "RomFixture.h"
#include "RowTable.h"
#include "dialogs/DialogFilter.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace morvane;
using namespace morvane::test;
using namespace Qt::StringLiterals;

namespace {

FileDialogRequest LoadRomRequest(const QString& folder)
{
    FileDialogRequest request;
    request.initialFolder = folder;
    request.nameFilters
        = NameFiltersFromRecord("Gameboy Rom Images (*.gb; *.gbc)\0*.gb;*.gbc\0\0\0"_ba);
    return request;
}

// A file dialog of Qt's own, not the desktop's, so its list and boxes can be read.
struct OwnFileDialog : QFileDialog {
    OwnFileDialog() { setOption(QFileDialog::DontUseNativeDialog); }
};

// What a dialog is set up with, and what it then shows.
template <typename Setting, typename Shown> struct Setup {
    const char* name;
    Setting setting;
    Shown shown;
};
using FilterChoice = Setup<int, QString>;
using ColorStart = Setup<std::uint32_t, QColor>;

} // namespace

class QtDialogBackendTest : public QObject {
    Q_OBJECT

    // The window the dialogs are run over, and the parent the dialog answered last had.
    QWidget owner_;
    QWidget* parent_ = nullptr;
    QtDialogBackend backend_;

    // Runs `answer` on the next modal dialog, noting its parent; closes one left open: no waiting.
    template <typename Answer> void AnswerNextModal(Answer answer)
    {
        auto* timer = new QTimer(qApp);
        // Polled every 10 ms, given up after some 5 s.
        connect(timer, &QTimer::timeout, timer, [this, timer, answer, polls = 0]() mutable {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog && ++polls < 500)
                return;
            timer->stop();
            timer->deleteLater();
            if (!dialog)
                return;
            parent_ = dialog->parentWidget();
            answer(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        timer->start(10);
    }

private slots:
    void init() { parent_ = nullptr; }

    void loadRomFilterListsOnlyRomImages()
    {
        QTemporaryDir folder;
        for (const char* name : {"a.gb", "b.gbc", "c.txt", "d.gba"})
            QVERIFY(WriteWholeFile(folder.filePath(QString::fromLatin1(name)), {}));
        OwnFileDialog dialog;
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);

        QtDialogBackend::ConfigureFileDialog(dialog, LoadRomRequest(folder.path()));

        // Once the folder has been read, its list offers only the ROM images.
        QTRY_VERIFY(std::ranges::any_of(loaded, [&](const QList<QVariant>& signal) {
            return QDir(signal.at(0).toString()) == QDir(folder.path());
        }));
        auto* view = dialog.findChild<QAbstractItemView*>(u"listView"_s);
        QVERIFY(view);
        QStringList listed;
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            const QModelIndex entry = view->model()->index(row, 0, root);
            if (view->model()->flags(entry) & Qt::ItemIsEnabled)
                listed.append(entry.data().toString());
        }
        listed.sort();
        QCOMPARE(listed, (QStringList {"a.gb", "b.gbc"}));
        auto* types = dialog.findChild<QComboBox*>(u"fileTypeCombo"_s);
        QVERIFY(types);
        QCOMPARE(types->count(), 1);
        QCOMPARE(types->itemText(0), u"Gameboy Rom Images (*.gb; *.gbc)"_s);
    }

    void fileDialogStartsOnRequestedFile_data()
    {
        QTest::addColumn<bool>("fullPathElsewhere"); // or a bare name, in the initial folder
        QTest::newRow("name only: initial folder") << false;
        QTest::newRow("full path elsewhere: its folder") << true;
    }
    void fileDialogStartsOnRequestedFile()
    {
        QFETCH(const bool, fullPathElsewhere);
        QTemporaryDir initial;
        QTemporaryDir other;
        const QDir folder(fullPathElsewhere ? other.path() : initial.path());
        QVERIFY(WriteWholeFile(folder.filePath(u"Sarnet.gb"_s), {}));
        FileDialogRequest request = LoadRomRequest(initial.path());
        request.fileName = fullPathElsewhere ? folder.filePath(u"Sarnet.gb"_s) : u"Sarnet.gb"_s;
        request.title = u"Open a ROM image"_s;
        request.defaultSuffix = u"gb"_s;
        OwnFileDialog dialog;

        QtDialogBackend::ConfigureFileDialog(dialog, request);

        QCOMPARE(dialog.directory().absolutePath(), folder.absolutePath());
        QCOMPARE(dialog.selectedFiles(), QStringList {folder.filePath(u"Sarnet.gb"_s)});
        QCOMPARE(dialog.windowTitle(), u"Open a ROM image"_s);
        QCOMPARE(dialog.defaultSuffix(), u"gb"_s);
    }

    void filterIndexSelectsFilter_data()
    {
        AddRows<FilterChoice>({{"0: the dialog's choice", 0, u"Roms"_s}, {"1", 1, u"Roms"_s},
            {"2", 2, u"All files"_s}, {"past the end", 3, u"Roms"_s}});
    }
    void filterIndexSelectsFilter()
    {
        FileDialogRequest request;
        request.nameFilters = NameFiltersFromRecord("Roms\0*.gb\0All files\0*.*\0\0"_ba);
        request.filterIndex = CurrentRow<FilterChoice>().setting;
        OwnFileDialog dialog;

        QtDialogBackend::ConfigureFileDialog(dialog, request);

        // With the patterns hidden, the dialog reports the selected filter as the text it shows.
        QCOMPARE(dialog.selectedNameFilter(), CurrentRow<FilterChoice>().shown);
    }

    void saveAsAsksBeforeOverwritingOnlyWhenTold()
    {
        FileDialogRequest request;
        QFileDialog dialog;
        QtDialogBackend::ConfigureFileDialog(dialog, request);
        QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));

        request.flags = 0x2;
        QtDialogBackend::ConfigureFileDialog(dialog, request);
        QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
    }

    void openReturnsChosenPathOrNothing()
    {
        QTemporaryDir folder;
        const QString rom = folder.filePath(u"b.gbc"_s);
        QVERIFY(WriteWholeFile(rom, {}));
        FileDialogRequest request = LoadRomRequest(folder.path());
        request.owner = &owner_;

        std::pair<QFileDialog::AcceptMode, QFileDialog::FileMode> modes;
        const auto note = [&](QDialog& dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog))
                modes = {files->acceptMode(), files->fileMode()};
        };
        AnswerNextModal([&](QDialog& dialog) {
            note(dialog);
            // Typed as a bare name, so it only names the ROM if the dialog opened in its folder.
            auto* name = dialog.findChild<QLineEdit*>(u"fileNameEdit"_s);
            if (!name)
                return;
            QTest::keyClicks(name, u"b.gbc"_s);
            dialog.accept();
        });
        QCOMPARE(backend_.GetOpenFileName(request), std::optional<QString>(rom));
        QCOMPARE(parent_, &owner_);
        // Open takes only a file that exists; Save As any name.
        QCOMPARE(modes, std::pair(QFileDialog::AcceptOpen, QFileDialog::ExistingFile));

        AnswerNextModal([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(backend_.GetOpenFileName(request), std::nullopt);
        AnswerNextModal(note); // and left to be cancelled
        QCOMPARE(backend_.GetSaveFileName(request), std::nullopt);
        QCOMPARE(modes, std::pair(QFileDialog::AcceptSave, QFileDialog::AnyFile));
    }

    void colorDialogStartsOnBlackUnlessAsked_data()
    {
        AddRows<ColorStart>({{"no options", 0, QColor(0, 0, 0)},
            {"initial colour", 1, QColor(10, 20, 30)}, {"other options", 0xE, QColor(0, 0, 0)}});
    }
    void colorDialogStartsOnBlackUnlessAsked()
    {
        QColorDialog dialog;
        QtDialogBackend::ConfigureColorDialog(
            dialog, PackRgb(10, 20, 30), CurrentRow<ColorStart>().setting);
        QCOMPARE(dialog.currentColor(), CurrentRow<ColorStart>().shown);
    }

    void colorDialogForgetsCustomColours()
    {
        QColorDialog::setCustomColor(0, Qt::red);
        QColorDialog::setCustomColor(QColorDialog::customCount() - 1, Qt::blue);
        QColorDialog dialog;

        QtDialogBackend::ConfigureColorDialog(dialog, 0, 0);

        for (int slot = 0; slot < QColorDialog::customCount(); ++slot)
            QCOMPARE(QColorDialog::customColor(slot), QColor(Qt::white));
    }

    void chooseColorReturnsPickedColourOrNothing()
    {
        AnswerNextModal([](QDialog& dialog) {
            if (auto* colors = qobject_cast<QColorDialog*>(&dialog))
                colors->setCurrentColor(QColor(0, 255, 0));
            dialog.accept();
        });
        QCOMPARE(
            backend_.ChooseColor(&owner_, 0, 0), std::optional<PackedColor>(PackRgb(0, 255, 0)));
        QCOMPARE(parent_, &owner_);

        AnswerNextModal([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(backend_.ChooseColor(&owner_, PackRgb(1, 2, 3), 1), std::nullopt);
    }

    // The lists start on the painting colour's value and the next; OK waits for two different ones.
    void swapColoursAsksForTwoDifferentValues()
    {
        std::optional<ColourSwap> started;
        bool okWhileSame = true;
        AnswerNextModal([&](QDialog& dialog) {
            auto* first = dialog.findChild<QComboBox*>(u"first"_s);
            auto* second = dialog.findChild<QComboBox*>(u"second"_s);
            QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            started = ColourSwap {first->currentIndex(), second->currentIndex()};
            second->setCurrentIndex(3);
            okWhileSame = ok->isEnabled();
            QTest::keyClick(second, Qt::Key_Up);
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        const Palette colours {PackRgb(223, 0, 200), 0, PackRgb(255, 255, 255), PackRgb(0, 0, 255)};
        QCOMPARE(backend_.ChooseColourSwap(&owner_, colours, 3), std::optional(ColourSwap {3, 2}));
        QCOMPARE(parent_, &owner_);
        QCOMPARE(started, std::optional(ColourSwap {3, 0}));
        QVERIFY(!okWhileSame);

        AnswerNextModal([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(backend_.ChooseColourSwap(&owner_, colours, 1), std::nullopt);
    }
};

QTEST_MAIN(QtDialogBackendTest)
#include "QtDialogBackendTest.moc"
