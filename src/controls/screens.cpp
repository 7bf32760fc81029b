#include "controls/screens.h"

namespace Screens {

namespace {
Opener& opener()
{
    static Opener o;
    return o;
}
} // namespace

void setOpener(Opener o)
{
    opener() = std::move(o);
}

bool open(const QString& caption)
{
    return opener() ? opener()(caption) : false;
}

} // namespace Screens
