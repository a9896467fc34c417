#include "site_error.h"

namespace velmar {

void Throw(SiteError::Kind kind, const QString &text)
{
    throw SiteError{kind, text, {}, {}, {}};
}

void Throw(SiteError error)
{
    throw std::move(error);
}

}  // namespace velmar
