#include "link.h"
#include "site_error.h"

namespace velmar {

LinkedSession::LinkedSession(const Link &link, Sink *sink) : Session(link.port)
{
    setSender(link.sender);
    setSink(sink ? sink : link.sink);
    setCancel(link.cancel);
    if (!open())
        Throw(SiteError{SiteError::PortTaken,
                        QStringLiteral("port %1 is taken (a running configurator holds it?); close it or "
                                       "choose another with --port")
                            .arg(port()),
                        {},
                        {},
                        {}});
}

}  // namespace velmar
