#include "CaptureFile.h"
#include "FakePort.h"
#include "Form1.h"
#include "FormHarness.h"
#include "QtDialogs.h"
#include "TestFiles.h"
#include "TraceArea.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QMap>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <functional>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace tarvik {

namespace {

QList<int> barOf(const FormHarness& h) {
    const auto* bar = h.control<QProgressBar>("PB1");
    return {bar->minimum(), bar->maximum(), bar->value()};
}

// Answers the next modal file dialog with `answer` once it is open.
void whenFileDialogOpens(std::function<void(QFileDialog&)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            // The answer may wait, and so let the timer, with this lambda,
            // be deleted before it ends: it runs from a copy.
            poll->stop();
            poll->deleteLater();
            const auto run = answer;
            run(*dialog);
        }
    });
    poll->start();
}

// What an open file dialog shows: the file types it offers, then the one
// preselected; the files it starts from; the names it lists in its folder
// under each type in turn.
struct FileDialogView {
    QStringList types;
    QStringList files;
    QList<QStringList> listed;

    FileDialogView() = default;
    explicit FileDialogView(QFileDialog& dialog) {
        auto* combo = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (int i = 0; i < combo->count(); ++i)
            types << combo->itemText(i);
        types << combo->currentText();
        files = dialog.selectedFiles();
        for (const QString& filter : dialog.nameFilters()) {
            dialog.selectNameFilter(filter);
            // The folder is read in the background: the listing counts once
            // it has names and no name has come or gone for a while.
            QStringList names;
            if (QTest::qWaitFor([&dialog] { return !namesListed(dialog).isEmpty(); }, 5000)) {
                for (int tries = 0; tries < 50 && names != namesListed(dialog); ++tries) {
                    names = namesListed(dialog);
                    QTest::qWait(100);
                }
            }
            listed << names;
        }
    }

    static QStringList namesListed(const QFileDialog& dialog) {
        const auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
        const QAbstractItemModel* model = view->model();
        QStringList names;
        for (int row = 0; row < model->rowCount(view->rootIndex()); ++row)
            names << model->index(row, 0, view->rootIndex()).data().toString();
        names.sort();
        return names;
    }
};

} // namespace

class CaptureFileFormTest : public QObject {
    Q_OBJECT

  private slots:
    void loadShowsTheCaptureOnePageBeforeAndSaveLeavesIt_data() {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<int>("pagesForward");
        QTest::addColumn<float>("viewStart");
        // At zoom 1/8 a page is 640 samples: page three starts at 1281.
        QTest::newRow("loaded on page three") << true << 2 << 641.0F;
        QTest::newRow("loaded on the first page") << true << 0 << 1.0F;
        QTest::newRow("cancelled on page three") << false << 2 << 1281.0F;
    }

    void loadShowsTheCaptureOnePageBeforeAndSaveLeavesIt() {
        QFETCH(bool, loaded);
        QFETCH(int, pagesForward);
        QFETCH(float, viewStart);
        FormHarness h;
        h.click("btOut");
        for (int page = 0; page < pagesForward; ++page)
            h.click("btRight");
        const QString name = h.dir.filePath(QStringLiteral("capture.lgc"));
        QVERIFY(writeFile(name, countingBytes(qint64(CaptureFileSize))));
        auto* trace = h.control<TraceArea>("Picture1");
        const QImage picture = trace->picture().copy();
        const QList<int> bar = barOf(h);
        if (loaded)
            h.dialogs.fileAnswers.push_back(name);

        h.click("btLoad");

        QCOMPARE(h.state->viewStart, viewStart);
        QCOMPARE(h.state->zoomFactor, 0.125F);
        QCOMPARE(h.state->dataSamples[1], std::uint8_t(loaded ? 1 : 255));
        const QImage shown = trace->picture().copy();
        if (!loaded) {
            QCOMPARE(shown, picture);
            QCOMPARE(barOf(h), bar);
            return;
        }
        QCOMPARE(barOf(h).at(2), int(viewStart));
        // The load drew the new capture where the view now stands.
        h.click("btRight");
        h.click("btLeft");
        QCOMPARE(trace->picture(), shown);

        // A save leaves the picture and the view, with the bar at its end.
        h.dialogs.fileAnswers.push_back(h.dir.filePath(QStringLiteral("saved.lgc")));
        h.click("btSave");
        QCOMPARE(trace->picture(), shown);
        QCOMPARE(barOf(h), (QList<int>{1, SampleCount, SampleCount}));
        QCOMPARE(h.state->viewStart, viewStart);
        QVERIFY(h.dialogs.messages.isEmpty());
    }

    void realDialogsShowTheFileTypesAndStartFromTheLastName() {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        auto state = std::make_unique<ProgramState>();
        QtDialogs dialogs;
        FakePort win95io;
        FakePort inpout32;
        Form1 form(*state, dialogs, win95io, inpout32);
        dialogs.setParent(&form);
        const QString name = dir.filePath(QStringLiteral("capture.lgc"));
        QVERIFY(writeFile(name, countingBytes(qint64(CaptureFileSize))));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("cap1")), "saved without a dot"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("old.bin")), "binary"));

        FileDialogView load;
        whenFileDialogOpens([&](QFileDialog& dialog) {
            // Chosen first: once the dialog has the focus, its name field
            // takes no name from outside.
            dialog.selectFile(name);
            load = FileDialogView(dialog);
            static_cast<QDialog&>(dialog).accept();
        });
        QTest::mouseClick(form.findChild<QWidget*>("btLoad"), Qt::LeftButton);
        FileDialogView save;
        whenFileDialogOpens([&](QFileDialog& dialog) {
            save = FileDialogView(dialog);
            dialog.reject();
        });
        QTest::mouseClick(form.findChild<QWidget*>("btSave"), Qt::LeftButton);

        const QStringList all{"cap1", "capture.lgc", "old.bin"};
        QCOMPARE(load.types, (QStringList{"Analyzer Files(*.lgc)", "Binary Files(*.bin)",
                                          "All Files (*.*)", "Analyzer Files(*.lgc)"}));
        QCOMPARE(load.listed, (QList<QStringList>{{"capture.lgc"}, {"old.bin"}, all}));
        QCOMPARE(state->dataSamples[1], std::uint8_t{1});
        QCOMPARE(save.types, (QStringList{"Analizer Files(*.lgc)", "All Files (*.*)",
                                          "Analizer Files(*.lgc)"}));
        QCOMPARE(save.files, QStringList{name});
        QCOMPARE(save.listed, (QList<QStringList>{{"capture.lgc"}, all}));
    }
};

} // namespace tarvik

QTEST_MAIN(tarvik::CaptureFileFormTest)
#include "tst_capturefile_form.moc"
