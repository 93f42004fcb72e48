// Drives the app from outside, as a user would: when VIGILANT_UI_AUTOMATION names a socket
// path, the app listens there and serves one command per line with one reply line ("ok ..."
// or "error ..."). The commands are listed in platform/UIKit/README.md.
#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "LineServer.h"

namespace uikit {

class Automation : public QObject {
  public:
    // Null when the variable is unset; the listening socket is removed on destruction.
    static std::unique_ptr<Automation> fromEnvironment();
    explicit Automation(const QString& path);
    ~Automation() override;
    bool listening() const { return server_.listening(); }
    // Runs one command line and returns the reply line (without its line end).
    static QString run(const QString& line);

  private:
    LineServer server_;
};

}  // namespace uikit
