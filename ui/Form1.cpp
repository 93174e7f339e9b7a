#include "Form1.h"

#include "CaptureFileCommands.h"
#include "ClassicLook.h"
#include "ColourMapping.h"
#include "ColourSwatch.h"
#include "Decoration.h"
#include "Navigation.h"
#include "PortLibrary.h"
#include "ScanCommand.h"
#include "Settings.h"
#include "StartUp.h"
#include "TraceArea.h"
#include "TraceRenderer.h"
#include "WindowSettings.h"
#include "WindowUnits.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cmath>
#include <cstring>

namespace tarvik {

namespace {

template <typename Control>
Control* place(QWidget* parent, const char* name, QRect geometry, Control* control) {
    control->setParent(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

QPushButton* button(QWidget* parent, const char* name, QRect geometry, const QString& caption,
                    const QString& tip) {
    auto* b = place(parent, name, geometry, new QPushButton(caption));
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

ColourSwatch* swatch(QWidget* parent, const char* name, QRect geometry, ColourValue colour,
                     const QString& tip) {
    auto* s = place(parent, name, geometry, new ColourSwatch(colour));
    s->setToolTip(tip);
    return s;
}

// The design's "MS Sans Serif" where the platform has it, otherwise the
// desktop's sans-serif font in its place.
QFont designFont(qreal points) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    return font;
}

int toPixels(float twips) {
    return static_cast<int>(std::lrint(twips / TwipsPerPixel));
}

} // namespace

QString scanButtonFor(const PortLibraryFile& library) {
    return std::strcmp(library.fileName, Win95IoLibrary.fileName) == 0
               ? QStringLiteral("the upper SCAN button")
               : QStringLiteral("the lower SCAN button");
}

Form1::Form1(ProgramState& state, Dialogs& dialogs, PortDevice& win95io, PortDevice& inpout32,
             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      state_(state), CD1(dialogs), win95io_(win95io), inpout32_(inpout32) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tarvik"));
    setFixedSize(783, 560);
    buildControls();
    wireCommands();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::buildControls() {
    // The captions were laid out for the design's dialog font, 8 point: at
    // that size they fit their controls in the desktop's wider sans-serif
    // fonts too, where the desktop's own size cuts some of them off.
    setFont(designFont(8.0));

    btLoad = button(this, "btLoad", {7, 7, 81, 20}, QStringLiteral("LOAD"),
                    QStringLiteral("Load a LGC file"));
    btOnes = button(this, "btOnes", {7, 35, 81, 20}, QStringLiteral("SCAN"),
                    QStringLiteral("Via WIN95IO.DLL"));
    btAll = button(this, "btAll", {7, 56, 81, 20}, QStringLiteral("SCAN"),
                   QStringLiteral("Via inpout32.dll"));
    btSave = button(this, "btSave", {7, 84, 81, 20}, QStringLiteral("SAVE"),
                    QStringLiteral("Save a scanned file"));
    btIn =
        button(this, "btIn", {36, 123, 24, 24}, QStringLiteral("/\\"), QStringLiteral("Zoom in"));
    btOut =
        button(this, "btOut", {36, 153, 24, 24}, QStringLiteral("\\/"), QStringLiteral("Zoom out"));
    btLeft = button(this, "btLeft", {15, 126, 18, 50}, QStringLiteral("<"),
                    QStringLiteral("Previous page"));
    btRight = button(this, "btRight", {63, 126, 18, 50}, QStringLiteral(">"),
                     QStringLiteral("Next page"));

    pbLine = swatch(this, "pbLine", {6, 378, 27, 26}, rgbColour(0, 192, 0),
                    QStringLiteral("Pen colour"));
    pbNul = swatch(this, "pbNul", {35, 378, 27, 26}, rgbColour(0, 0, 255),
                   QStringLiteral("Zero colour"));
    pbBack = swatch(this, "pbBack", {63, 378, 27, 26}, rgbColour(0, 0, 0),
                    QStringLiteral("Background colour"));

    Label1 = place(this, "Label1", {9, 438, 76, 16}, new QLabel(QStringLiteral("ZOOM LEVEL")));
    Label1->setAutoFillBackground(true);

    lbZoom = place(this, "lbZoom", {6, 465, 82, 25}, new QLabel(QStringLiteral(" / 16")));
    lbZoom->setAutoFillBackground(true);
    QPalette zoomPalette = lbZoom->palette();
    zoomPalette.setColor(QPalette::Window, toQColor(MenuTextColour, zoomPalette));
    zoomPalette.setColor(QPalette::WindowText, toQColor(rgbColour(0, 255, 0), zoomPalette));
    lbZoom->setPalette(zoomPalette);
    lbZoom->setFont(designFont(13.5));

    Image1 = place(this, "Image1", {18, 528, 60, 25}, new QLabel);
    Image1->setPixmap(decorationPicture());

    Picture1 = place(this, "Picture1", {98, 7, 676, 533}, new TraceArea);

    PB1 = place(this, "PB1", {98, 544, 673, 12}, new QProgressBar);
    PB1->setTextVisible(false);
    useClassicLook(*PB1);
    PB1->setFocusPolicy(Qt::NoFocus);
    progress_ = std::make_unique<ProgressBarView>(*PB1);

    // Tab order as the controls are numbered; the upper "SCAN" button has the
    // focus when the window opens.
    const QList<QWidget*> order{btOnes, btAll,  btLeft, btRight, btIn,  btOut, Picture1,
                                PB1,    btLoad, btSave, pbLine,  pbNul, pbBack};
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));
    btOnes->setFocus();
}

void Form1::wireCommands() {
    captureFiles_ =
        std::make_unique<CaptureFileCommands>(state_, CD1, *progress_, [this] { btLeft_Click(); });
    scanCommand_ =
        std::make_unique<ScanCommand>(state_, CD1, *progress_, [this] { RedrawTraces(); });
    connect(btLoad, &QPushButton::clicked, this, [this] { captureFiles_->load(); });
    connect(btOnes, &QPushButton::clicked, this,
            [this] { scanCommand_->scan(win95io_, btOnes->toolTip()); });
    connect(btAll, &QPushButton::clicked, this,
            [this] { scanCommand_->scan(inpout32_, btAll->toolTip()); });
    connect(btSave, &QPushButton::clicked, this, [this] { captureFiles_->save(); });
    connect(btIn, &QPushButton::clicked, this, [this] {
        ZoomIn(state_);
        RedrawTraces();
    });
    connect(btOut, &QPushButton::clicked, this, [this] {
        ZoomOut(state_);
        RedrawTraces();
    });
    connect(btLeft, &QPushButton::clicked, this, &Form1::btLeft_Click);
    connect(btRight, &QPushButton::clicked, this, [this] {
        NextPage(state_);
        RedrawTraces();
    });
    for (ColourSwatch* s : {pbLine, pbNul, pbBack})
        connect(s, &ColourSwatch::clicked, this, [this, s] { chooseColour(*s); });
}

void Form1::Form_Load() {
    WindowSettings window(*this);
    SettingsFile settings(window, QDir::currentPath());
    StartUp(state_, settings);
}

void Form1::Form_Unload() {
    WindowSettings window(*this);
    SettingsFile settings(window, state_.appDir);
    ShutDown(state_, settings);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

float Form1::twipsAt(const std::optional<Placed>& placed, int pixels) {
    if (placed && placed->pixels == pixels)
        return placed->twips;
    return static_cast<float>(pixels) * TwipsPerPixel;
}

float Form1::Top() const {
    return twipsAt(placedTop_, frameGeometry().top());
}

float Form1::Left() const {
    return twipsAt(placedLeft_, frameGeometry().left());
}

void Form1::setTop(float twips) {
    placedTop_ = Placed{twips, toPixels(twips)};
    move(frameGeometry().left(), placedTop_->pixels);
}

void Form1::setLeft(float twips) {
    placedLeft_ = Placed{twips, toPixels(twips)};
    move(placedLeft_->pixels, frameGeometry().top());
}

void Form1::RedrawTraces() {
    const TraceColours colours{pbBack->backColor(), pbLine->backColor(), pbNul->backColor()};
    DrawTraces(state_, colours, {Picture1->surface(), *progress_, [this](const QString& caption) {
                                     lbZoom->setText(caption);
                                 }});
    Picture1->update();
}

void Form1::btLeft_Click() {
    PreviousPage(state_);
    RedrawTraces();
}

void Form1::chooseColour(ColourSwatch& swatch) {
    if (!CD1.ShowColor())
        return;
    swatch.setBackColor(CD1.Color);
    RedrawTraces();
}

} // namespace tarvik
