#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <optional>

namespace tarvik {

// The window's command line: --port, --simulated-port, --help and --version,
// beside Qt's own options (-platform, -style, ...), which QApplication takes
// out of the arguments when it is created. It is read twice: before Qt's
// application object exists, passing over every option Qt may take, so that
// --help, --version and a usage error answer without a display and the port
// is known before the program restarts through the launcher; and once more
// when Qt has taken out those it took on its platform.
class WindowCommandLine {
  public:
    WindowCommandLine();

    // Reads the arguments as main received them, passing over Qt's options.
    // Returns the exit status when the program ends here: 0 after printing
    // the help or the version, 2 after a usage error said on stderr (an
    // unknown option, an argument that is none, a port that is not one).
    std::optional<int> readEarly(int& argc, char* argv[]);
    // Whatever is left once Qt has taken its own options is the program's;
    // anything it does not know is a usage error (exit status 2).
    std::optional<int> checkRest(const QStringList& arguments);

    QString port() const { return parser_.value(port_); }
    bool simulatedPort() const { return parser_.isSet(simulatedPort_); }

  private:
    QCommandLineParser parser_;
    QCommandLineOption help_;
    QCommandLineOption version_;
    QCommandLineOption port_;
    QCommandLineOption simulatedPort_;
};

} // namespace tarvik
