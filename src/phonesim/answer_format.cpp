#include "phonesim/answer_format.h"

#include <map>

namespace mivex::phonesim {
namespace {

// The texts of AT+CMEE=2 for the codes this phone gives.
const std::map<int, std::string_view>& ErrorTexts() {
    static const std::map<int, std::string_view> texts = {
        {kCmeOperationNotAllowed, "operation not allowed"},
        {kCmeOperationNotSupported, "operation not supported"},
        {kCmsOperationNotAllowed, "operation not allowed"},
        {kCmsOperationNotSupported, "operation not supported"},
        {kCmsInvalidPduParameter, "invalid PDU mode parameter"},
        {kCmsInvalidMemoryIndex, "invalid memory index"},
        {kCmsMemoryFull, "memory full"},
        {kCmsUnknownError, "unknown error"},
    };
    return texts;
}

std::string ErrorText(Result result, int errorMode) {
    if (result.codedAlways && errorMode == 0) {
        errorMode = 1;
    }
    if (result.kind == ResultKind::Error || errorMode == 0) {
        return "ERROR";
    }
    std::string text = result.kind == ResultKind::CmeError ? "+CME ERROR: " : "+CMS ERROR: ";
    const auto known = ErrorTexts().find(result.code);
    if (errorMode == 2 && known != ErrorTexts().end()) {
        return text + std::string(known->second);
    }
    return text + std::to_string(result.code);
}

// V.250 numeric result codes.
std::string_view NumericCode(ResultKind kind) {
    return kind == ResultKind::Ok ? "0" : "4";
}

}  // namespace

std::string FormatAnswer(const std::vector<std::string>& information, Result result,
                         const AnswerStyle& style) {
    std::string answer;
    if (!information.empty()) {
        if (style.verbose) {
            answer += "\r\n";
        }
        for (std::size_t i = 0; i < information.size(); ++i) {
            answer += information[i];
            answer += i + 1 < information.size() || !style.verbose ? "\r\n" : "";
        }
        if (style.verbose) {
            answer += "\r\n";
        }
    }
    if (result.kind == ResultKind::Prompt) {
        return answer + "\r\n> ";
    }
    const bool coded = result.kind == ResultKind::CmeError || result.kind == ResultKind::CmsError;
    if (style.verbose) {
        return answer + "\r\n" +
               (result.kind == ResultKind::Ok ? "OK" : ErrorText(result, style.errorMode)) + "\r\n";
    }
    if (coded && (style.errorMode != 0 || result.codedAlways)) {
        return answer + ErrorText(result, style.errorMode) + "\r\n";
    }
    return answer + std::string(NumericCode(result.kind)) + "\r";
}

std::string FormatUnsolicited(std::string_view line, const AnswerStyle& style) {
    return (style.verbose ? "\r\n" : "") + std::string(line) + "\r\n";
}

}  // namespace mivex::phonesim
