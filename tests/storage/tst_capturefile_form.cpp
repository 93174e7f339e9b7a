#include "CaptureFile.h"
#include "FakePort.h"
#include "Form1.h"
#include "FormHarness.h"
#include "QtDialogs.h"
#include "TestFiles.h"
#include "TraceArea.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

struct BarState {
    int minimum, maximum, value;
    bool operator==(const BarState&) const = default;
};

BarState barOf(const QProgressBar& bar) {
    return {bar.minimum(), bar.maximum(), bar.value()};
}

// Answers the next modal file dialog with `answer` once it is open.
void whenFileDialogOpens(std::function<void(QFileDialog&)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            answer(*dialog);
        }
    });
    poll->start();
}

} // namespace

class CaptureFileFormTest : public QObject {
    Q_OBJECT

  private slots:
    void loadShowsTheCaptureOnePageBefore_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("pagesForward");
        QTest::addColumn<float>("viewStart");
        QTest::addColumn<bool>("loaded");
        // At zoom 1/8 a page is 640 samples: page three starts at 1281.
        QTest::newRow("loaded on page three") << "capture.lgc" << 2 << 641.0F << true;
        QTest::newRow("loaded on the first page") << "capture.lgc" << 0 << 1.0F << true;
        QTest::newRow("cancelled on page three") << QString() << 2 << 1281.0F << false;
        QTest::newRow("file gone on page three") << "gone.lgc" << 2 << 1281.0F << false;
    }

    void loadShowsTheCaptureOnePageBefore() {
        QFETCH(QString, answer);
        QFETCH(int, pagesForward);
        QFETCH(float, viewStart);
        QFETCH(bool, loaded);
        FormHarness h;
        h.click("btOut");
        for (int page = 0; page < pagesForward; ++page)
            h.click("btRight");
        QVERIFY(writeFile(h.dir.filePath(QStringLiteral("capture.lgc")),
                          countingBytes(qint64(CaptureFileSize))));
        const QImage picture = h.control<TraceArea>("Picture1")->picture().copy();
        const BarState bar = barOf(*h.control<QProgressBar>("PB1"));
        if (!answer.isEmpty())
            h.dialogs.fileAnswers.push_back(h.dir.filePath(answer));

        h.click("btLoad");

        QCOMPARE(h.state->viewStart, viewStart);
        QCOMPARE(h.state->zoomFactor, 0.125F);
        QCOMPARE(h.state->dataSamples[1], std::uint8_t(loaded ? 1 : 255));
        const QImage shown = h.control<TraceArea>("Picture1")->picture().copy();
        if (!loaded) {
            QCOMPARE(shown, picture);
            QVERIFY(barOf(*h.control<QProgressBar>("PB1")) == bar);
            return;
        }
        QVERIFY(shown != picture);
        QCOMPARE(h.control<QProgressBar>("PB1")->value(), int(viewStart));
        QCOMPARE(h.control<QLabel>("lbZoom")->text(), QStringLiteral(" / 8"));
        // Drawing the same view again gives the same picture: the load drew the
        // new capture where the view now stands.
        h.click("btRight");
        h.click("btLeft");
        QCOMPARE(h.control<TraceArea>("Picture1")->picture(), shown);
    }

    void saveLeavesThePictureAndShowsTheEnd() {
        FormHarness h;
        h.click("btRight");
        const QImage picture = h.control<TraceArea>("Picture1")->picture().copy();
        const QString name = h.dir.filePath(QStringLiteral("saved.lgc"));
        h.dialogs.fileAnswers.push_back(name);

        h.click("btSave");

        QCOMPARE(QFileInfo(name).size(), qint64(CaptureFileSize));
        QCOMPARE(h.control<TraceArea>("Picture1")->picture(), picture);
        QVERIFY((barOf(*h.control<QProgressBar>("PB1")) == BarState{1, SampleCount, SampleCount}));
        QCOMPARE(h.state->viewStart, 321.0F);
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

        QStringList loadTypes;
        QString loadType;
        whenFileDialogOpens([&](QFileDialog& dialog) {
            loadTypes = dialog.nameFilters();
            loadType = dialog.selectedNameFilter();
            dialog.selectFile(name);
            static_cast<QDialog&>(dialog).accept();
        });
        QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("btLoad")), Qt::LeftButton);

        QStringList saveTypes;
        QString saveType;
        QStringList saveStartsAt;
        whenFileDialogOpens([&](QFileDialog& dialog) {
            saveTypes = dialog.nameFilters();
            saveType = dialog.selectedNameFilter();
            saveStartsAt = dialog.selectedFiles();
            dialog.reject();
        });
        QTest::mouseClick(form.findChild<QWidget*>(QStringLiteral("btSave")), Qt::LeftButton);

        QCOMPARE(loadTypes, (QStringList{QStringLiteral("Analyzer Files(*.lgc)"),
                                         QStringLiteral("Binary Files(*.bin)"),
                                         QStringLiteral("All Files (*.*)")}));
        QCOMPARE(loadType, loadTypes.value(0));
        QCOMPARE(state->dataSamples[1], std::uint8_t{1});
        QCOMPARE(saveTypes, (QStringList{QStringLiteral("Analizer Files(*.lgc)"),
                                         QStringLiteral("All Files (*.*)")}));
        QCOMPARE(saveType, saveTypes.value(0));
        QCOMPARE(saveStartsAt, QStringList{name});
    }
};

QTEST_MAIN(CaptureFileFormTest)
#include "tst_capturefile_form.moc"
