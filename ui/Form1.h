#pragma once

#include "Dialogs.h"
#include "ProgramState.h"
#include "ProgressBarView.h"

#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarvik {

class CaptureFileCommands;
class ScanCommand;
class ColourSwatch;
class PortDevice;
class TraceArea;
struct PortLibraryFile;

// The window's words for choosing a port library, in the advice that a
// library's failure may end with: the "SCAN" button that uses it.
QString scanButtonFor(const PortLibraryFile& library);

// The main window: builds the controls at their places and wires each click
// to its command.
class Form1 final : public QWidget {
    Q_OBJECT
  public:
    // win95io serves the upper "SCAN" button, inpout32 the lower one.
    Form1(ProgramState& state, Dialogs& dialogs, PortDevice& win95io, PortDevice& inpout32,
          QWidget* parent = nullptr);
    ~Form1() override;

    // Outer position of the window, in twips. The window stands on whole
    // pixels; a position set between two reads back as it was set for as long
    // as the window stays on the pixel it was placed on.
    float Top() const;
    float Left() const;
    void setTop(float twips);
    void setLeft(float twips);

    ColourSwatch& swatchLine() const { return *pbLine; }
    ColourSwatch& swatchNul() const { return *pbNul; }
    ColourSwatch& swatchBack() const { return *pbBack; }

    void RedrawTraces();
    void btLeft_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void wireCommands();
    void Form_Load();
    void Form_Unload();
    void chooseColour(ColourSwatch& swatch);

    // A position set in twips and the whole pixel it placed the window on.
    struct Placed {
        float twips;
        int pixels;
    };
    static float twipsAt(const std::optional<Placed>& placed, int pixels);

    ProgramState& state_;
    std::optional<Placed> placedTop_;
    std::optional<Placed> placedLeft_;
    CommonDialog CD1;
    PortDevice& win95io_;
    PortDevice& inpout32_;

    QPushButton* btLoad = nullptr;
    QPushButton* btOnes = nullptr;
    QPushButton* btAll = nullptr;
    QPushButton* btSave = nullptr;
    QPushButton* btIn = nullptr;
    QPushButton* btOut = nullptr;
    QPushButton* btLeft = nullptr;
    QPushButton* btRight = nullptr;
    ColourSwatch* pbLine = nullptr;
    ColourSwatch* pbNul = nullptr;
    ColourSwatch* pbBack = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* lbZoom = nullptr;
    QLabel* Image1 = nullptr;
    TraceArea* Picture1 = nullptr;
    QProgressBar* PB1 = nullptr;
    std::unique_ptr<ProgressBarView> progress_;
    std::unique_ptr<CaptureFileCommands> captureFiles_;
    std::unique_ptr<ScanCommand> scanCommand_;
};

} // namespace tarvik
