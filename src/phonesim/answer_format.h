#pragma once

// How a phone frames its answers (V.250, 27.007): information lines, then a
// final result code, as words in verbose mode (ATV1) or digits (ATV0), with
// errors as plain "ERROR" or as +CME ERROR / +CMS ERROR codes by AT+CMEE.

#include <string>
#include <string_view>
#include <vector>

namespace mivex::phonesim {

enum class ResultKind {
    Ok,
    Error,     // plain "ERROR"
    CmeError,  // a 27.007 error code (general commands)
    CmsError,  // a 27.005 error code (message commands)
    Prompt,    // "> ": the phone waits for a PDU
};

struct Result {
    ResultKind kind = ResultKind::Ok;
    int code = 0;
    bool codedAlways = false;  // the code goes out even under AT+CMEE=0

    static Result Ok() { return {ResultKind::Ok, 0}; }
    static Result Error() { return {ResultKind::Error, 0}; }
    static Result Cme(int code) { return {ResultKind::CmeError, code}; }
    static Result Cms(int code) { return {ResultKind::CmsError, code}; }
    // As some phones answer whatever AT+CMEE says, and as faults are told to.
    static Result CmsAlways(int code) { return {ResultKind::CmsError, code, true}; }

    [[nodiscard]] bool Failed() const {
        return kind == ResultKind::Error || kind == ResultKind::CmeError ||
               kind == ResultKind::CmsError;
    }
};

// Error codes the simulated phone gives.
inline constexpr int kCmeOperationNotAllowed = 3;
inline constexpr int kCmeOperationNotSupported = 4;
inline constexpr int kCmsOperationNotAllowed = 302;
inline constexpr int kCmsOperationNotSupported = 303;
inline constexpr int kCmsInvalidPduParameter = 304;
inline constexpr int kCmsInvalidMemoryIndex = 321;
inline constexpr int kCmsMemoryFull = 322;
inline constexpr int kCmsUnknownError = 500;

struct AnswerStyle {
    bool verbose = true;  // ATV1
    int errorMode = 0;    // AT+CMEE: 0 plain ERROR, 1 codes, 2 texts
};

// The information lines and the final result as they go on the line, e.g.
// "\r\n+CSQ: 20,99\r\n\r\nOK\r\n" in verbose mode, "+CSQ: 20,99\r\n0\r" in
// numeric mode.
[[nodiscard]] std::string FormatAnswer(const std::vector<std::string>& information, Result result,
                                       const AnswerStyle& style);

// A line the phone sends on its own, such as RING or +CMTI.
[[nodiscard]] std::string FormatUnsolicited(std::string_view line, const AnswerStyle& style);

}  // namespace mivex::phonesim
