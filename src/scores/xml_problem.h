#pragma once
// Why an XML text could not be read, in Turkish: the XML reader's own reasons are English.
//
// Thread: any.

#include <QXmlStreamReader>
#include <string>
#include <string_view>

namespace zembera::scores {

// The reason for the error `xml` stopped at in `text` (its kind, and what its text names).
std::string xmlProblem(const QXmlStreamReader& xml, std::string_view text);

} // namespace zembera::scores
