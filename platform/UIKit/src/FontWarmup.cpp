#include "FontWarmup.h"

#include <QFontDatabase>
#include <QFontMetrics>

#include "Style.h"

namespace uikit {

FontWarmup::FontWarmup()
    : thread_([] {
          // Filling the font database reads fontconfig's configuration and caches; Qt's font
          // database is shared by all threads and guarded by its own lock.
          QFontDatabase::families();
          QFontMetrics(style::font(17, true)).height();
      }) {}

FontWarmup::~FontWarmup() { thread_.join(); }

}  // namespace uikit
