#pragma once

#include <QUrl>

// The two legal pages, over HTTPS on the maker's web server (its host is a build setting).
namespace quillo::LegalLinks {

// "/quillotodo-legal/privacy.html" on the legal host; made once on first use.
const QUrl& privacy();
// "/quillotodo-legal/terms.html" on the legal host; made once on first use.
const QUrl& terms();

}  // namespace quillo::LegalLinks
