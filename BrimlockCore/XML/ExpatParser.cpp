#include "BrimlockCore/XML/ExpatParser.h"

#include "BrimlockCore/XML/XMLSecurity.h"
#include "BrimlockCore/XML/XMLSecurityError.h"

#include <expat.h>

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <type_traits>

namespace brimlock::ExpatParser {

namespace {

// XML_Parse takes an int length; documents may be larger than that.
constexpr std::size_t kChunkSize = 1 << 20;

struct ParserFree {
    void operator()(XML_Parser parser) const noexcept { XML_ParserFree(parser); }
};
using ParserHandle = std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserFree>;

// The state expat hands back to every callback.
struct Session {
    explicit Session(Handler& h) : handler(h) {}

    XML_Parser parser = nullptr;
    Handler& handler;
    bool stopped = false;
    bool entityDeclared = false;
    bool entitySkipped = false;
    bool readingStartTag = false;
    std::uint64_t skippedLine = 0;
    std::exception_ptr handlerError;

    void stop() {
        stopped = true;
        XML_StopParser(parser, XML_FALSE);
    }

    void refuseEntityDeclaration() {
        if (stopped) return;
        entityDeclared = true;
        stop();
    }

    // Expat is C: an exception must not unwind through it.
    template <typename Call>
    void deliver(Call&& call) noexcept {
        if (stopped) return;  // expat may finish the current event after a stop
        try {
            call();
        } catch (...) {
            handlerError = std::current_exception();
            stop();
        }
    }
};

Session& sessionOf(void* userData) { return *static_cast<Session*>(userData); }

// Whether raw markup holds a named reference other than the five predefined ones: with entity
// declarations refused, any such name is undeclared.
bool referencesUndeclaredEntity(std::string_view markup) {
    for (auto at = markup.find('&'); at != std::string_view::npos; at = markup.find('&', at + 1)) {
        if (at + 1 < markup.size() && markup[at + 1] == '#') continue;  // a character reference
        const auto end = markup.find(';', at + 1);
        const std::string_view name = markup.substr(at + 1, end == std::string_view::npos ? 0 : end - at - 1);
        if (name != "amp" && name != "lt" && name != "gt" && name != "quot" && name != "apos") return true;
    }
    return false;
}

void skipEntity(Session& session);

void XMLCALL onStart(void* userData, const XML_Char* name, const XML_Char** attributes) {
    Session& session = sessionOf(userData);
    // Expat skips an undeclared entity inside an attribute value without telling anyone when the
    // document names an external DTD; the raw tag, passed to onUnhandledMarkup, shows it.
    session.readingStartTag = true;
    XML_DefaultCurrent(session.parser);
    session.readingStartTag = false;
    if (session.entitySkipped) return;
    session.deliver([&] { session.handler.startElement(name, Attributes(attributes)); });
}

void XMLCALL onEnd(void* userData, const XML_Char* name) {
    Session& session = sessionOf(userData);
    session.deliver([&] { session.handler.endElement(name); });
}

void XMLCALL onCharacters(void* userData, const XML_Char* text, int length) {
    Session& session = sessionOf(userData);
    session.deliver([&] { session.handler.characterData(std::string_view(text, static_cast<std::size_t>(length))); });
}

// Any entity declaration, general or parameter, internal or external: refusing it here, before it is
// recorded, means no entity is ever expanded or fetched.
void XMLCALL onEntityDeclaration(void* userData, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                                 const XML_Char*, const XML_Char*, const XML_Char*) {
    sessionOf(userData).refuseEntityDeclaration();
}

// Markup that no other handler took. After an unresolved parameter-entity reference expat no longer
// processes declarations, so an entity declaration there reaches only this handler, as raw markup.
// Nothing else starts with "<!ENTITY": comments arrive whole and text goes to onCharacters.
void XMLCALL onUnhandledMarkup(void* userData, const XML_Char* data, int length) {
    Session& session = sessionOf(userData);
    const std::string_view markup(data, static_cast<std::size_t>(length));
    if (session.readingStartTag) {
        if (referencesUndeclaredEntity(markup)) skipEntity(session);
    } else if (markup.starts_with("<!ENTITY")) {
        session.refuseEntityDeclaration();
    }
}

void skipEntity(Session& session) {
    if (session.stopped) return;
    session.entitySkipped = true;
    session.skippedLine = static_cast<std::uint64_t>(XML_GetCurrentLineNumber(session.parser));
    session.stop();
}

// A reference to an entity nobody declared. Expat skips it silently when the document names an
// external DTD it does not read, which would lose text ("a&foo;b" read as "ab"): treat it as the
// error it is in a standalone document.
void XMLCALL onSkippedEntity(void* userData, const XML_Char*, int) { skipEntity(sessionOf(userData)); }

ParserHandle makeParser(Session& session) {
    // No encoding forced: the document's declaration or byte order mark decides, as in any XML reader.
    ParserHandle parser(XML_ParserCreate(nullptr));
    if (!parser) throw std::bad_alloc();
    session.parser = parser.get();
    XML_SetUserData(parser.get(), &session);
    XML_SetElementHandler(parser.get(), onStart, onEnd);
    XML_SetCharacterDataHandler(parser.get(), onCharacters);
    XML_SetEntityDeclHandler(parser.get(), onEntityDeclaration);
    XML_SetSkippedEntityHandler(parser.get(), onSkippedEntity);
    // The expanding variant: setting a default handler must not change how entity references are read.
    XML_SetDefaultHandlerExpand(parser.get(), onUnhandledMarkup);
    // No external entity handler is installed, so expat reads nothing beyond the given bytes; external
    // parameter entities (an external DTD subset included) are not even considered.
    XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
    return parser;
}

}  // namespace

std::optional<std::string_view> Attributes::value(std::string_view name) const noexcept {
    for (const char* const* pair = pairs_; pair != nullptr && pair[0] != nullptr; pair += 2) {
        if (name == pair[0]) return std::string_view(pair[1]);
    }
    return std::nullopt;
}

void Handler::startElement(std::string_view, const Attributes&) {}
void Handler::endElement(std::string_view) {}
void Handler::characterData(std::string_view) {}

Result parse(std::span<const std::uint8_t> document, const std::string& documentName, Handler& handler) {
    XMLSecurity::rejectXMLEntityDeclarations(document, documentName);

    Session session(handler);
    const ParserHandle parser = makeParser(session);

    const auto* bytes = reinterpret_cast<const char*>(document.data());
    std::size_t offset = 0;
    XML_Status status = XML_STATUS_OK;
    do {
        const std::size_t length = std::min(kChunkSize, document.size() - offset);
        const bool isFinal = offset + length == document.size();
        status = XML_Parse(parser.get(), bytes + offset, static_cast<int>(length), isFinal ? XML_TRUE : XML_FALSE);
        offset += length;
    } while (status == XML_STATUS_OK && offset < document.size());

    if (session.handlerError) std::rethrow_exception(session.handlerError);
    if (session.entityDeclared)
        throw XMLSecurityError(XMLSecurityError::Kind::entityDeclarationsRejected, documentName);
    if (session.entitySkipped) return Result{false, "undefined entity", session.skippedLine};
    if (status == XML_STATUS_OK) return {};

    const XML_Error error = XML_GetErrorCode(parser.get());
    const XML_LChar* description = XML_ErrorString(error);
    return Result{false, description != nullptr ? description : "unknown XML error",
                  static_cast<std::uint64_t>(XML_GetCurrentLineNumber(parser.get()))};
}

}  // namespace brimlock::ExpatParser
