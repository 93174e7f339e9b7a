#include "FakePort.h"
#include "Form1.h"
#include "FormHarness.h"
#include "LgcFormat.h"
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

    // SAVE never writes to or replaces what is not a regular file, and never
    // waits on it: the name keeps its kind, one message says why, and the
    // window goes on working. A link to a regular file is written through.
    void saveLeavesWhatIsNoRegularFile() {
        FormHarness h;
        QMap<QString, mode_t> kinds;
        const auto path = [&h](const char* name) { return h.dir.filePath(QLatin1String(name)); };
        QVERIFY(mkfifo(QFile::encodeName(path("pipe.lgc")).constData(), 0600) == 0);
        kinds[path("pipe.lgc")] = S_IFIFO;
        QVERIFY(QDir().mkdir(path("folder.lgc")));
        kinds[path("folder.lgc")] = S_IFDIR;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketName = QFile::encodeName(path("socket.lgc"));
        std::copy_n(socketName.constData(), socketName.size(), address.sun_path);
        const int listening = socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
        kinds[path("socket.lgc")] = S_IFSOCK;
        // A twin of /dev/null, where the system lets the test make one.
        if (mknod(QFile::encodeName(path("null.lgc")).constData(), S_IFCHR | 0666, makedev(1, 3)) ==
            0)
            kinds[path("null.lgc")] = S_IFCHR;

        for (const QString& name : kinds.keys()) {
            h.dialogs.fileAnswers.push_back(name);
            h.click("btSave");
            struct stat after {};
            QVERIFY(::stat(QFile::encodeName(name).constData(), &after) == 0);
            QVERIFY2((after.st_mode & S_IFMT) == kinds[name], qPrintable(name));
            QVERIFY2(h.dialogs.messages.size() == 1 &&
                         h.dialogs.messages[0].contains(QStringLiteral("not a regular file")),
                     qPrintable(h.dialogs.messages.join(u'|')));
            h.dialogs.messages.clear();
        }
        close(listening);
        h.click("btRight");
        QCOMPARE(h.state->viewStart, 321.0F);

        QVERIFY(writeFile(path("target.lgc"), "an earlier capture"));
        QVERIFY(QFile::link(path("target.lgc"), path("link.lgc")));
        h.dialogs.fileAnswers.push_back(path("link.lgc"));
        h.click("btSave");
        QVERIFY(QFileInfo(path("link.lgc")).isSymLink());
        QCOMPARE(QFileInfo(path("target.lgc")).size(), CaptureFileSize);
        QVERIFY(h.dialogs.messages.isEmpty());
    }

    // Each dialog shows its file types as they are written, the first one
    // preselected, and lists under each the files it names: under "All Files"
    // every file, a name without a dot included.
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
