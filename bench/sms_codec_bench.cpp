// Throughput of SMS-DELIVER decoding and SMS-SUBMIT encoding, in PDUs per
// second (items_per_second), for the message shapes a phone mostly holds. Two
// plain operations on the same 160-character PDU run alongside as references,
// so a figure can be quoted as a ratio that carries across machines. Encoding
// a 1000-character text runs in three shapes: plain GSM, GSM with extension
// characters, and UCS2; the plain one is the reference for the other two.

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sms/deliver_decoder.h"
#include "sms/gsm_alphabet.h"
#include "sms/hex_text.h"
#include "sms/septets.h"
#include "sms/submit_encoder.h"

namespace {

namespace sms = mivex::sms;

using Octets = std::vector<std::uint8_t>;

enum class Sample {
    ShortText,
    Text160,
    Ucs2Text70,
    ThreeSegments,
    Gsm1000,
    GsmExtension1000,
    Unicode1000
};

constexpr std::u16string_view kRecipient = u"+44770090012";

// TP-OA +44770090012 and the TP-SCTS 2004-12-15 13:05:08.
constexpr std::array<std::uint8_t, 8> kSenderField = {0x0B, 0x91, 0x44, 0x77,
                                                      0x00, 0x09, 0x10, 0xF2};
constexpr std::array<std::uint8_t, 7> kStamp = {0x40, 0x21, 0x51, 0x31, 0x50, 0x80, 0x00};

constexpr std::uint8_t kDeliver = 0x04;            // TP-MTI 00, TP-MMS
constexpr std::uint8_t kDeliverWithHeader = 0x44;  // the same with TP-UDHI
constexpr std::uint8_t kDcsDefault = 0x00;
constexpr std::uint8_t kDcsUcs2 = 0x08;

std::u16string Repeated(std::u16string_view phrase, std::size_t length) {
    std::u16string text;
    while (text.size() < length) {
        text += phrase;
    }
    text.resize(length);
    return text;
}

std::u16string TextOf(Sample sample) {
    switch (sample) {
        case Sample::ShortText:
            return u"Hi Anna, see you at 8";
        case Sample::Text160:
            return Repeated(u"The train is late again, start without me. ", 160);
        case Sample::Ucs2Text70:
            return Repeated(u"Привет, как дела? ", 70);
        case Sample::ThreeSegments:
            return Repeated(u"Minutes of Monday: budget agreed, next review in May. ", 400);
        case Sample::Gsm1000:
            return Repeated(u"Minutes of Monday: budget agreed, next review in May. ", 1000);
        case Sample::GsmExtension1000:
            return Repeated(u"Budget [draft] {v2}: 40\u20AC per head ~ agreed | May. ", 1000);
        case Sample::Unicode1000:
            return Repeated(u"Протокол понедельника: бюджет принят, обзор в мае. ", 1000);
    }
    return {};
}

Octets DeliverPdu(std::uint8_t firstOctet, std::uint8_t dataCoding, std::uint8_t userDataLength,
                  std::span<const std::uint8_t> userData) {
    Octets pdu = {0x00, firstOctet};  // no service-centre address
    pdu.insert(pdu.end(), kSenderField.begin(), kSenderField.end());
    pdu.push_back(0x00);  // TP-PID
    pdu.push_back(dataCoding);
    pdu.insert(pdu.end(), kStamp.begin(), kStamp.end());
    pdu.push_back(userDataLength);
    pdu.insert(pdu.end(), userData.begin(), userData.end());
    return pdu;
}

// A default-alphabet DELIVER; with a header the text starts at the next septet
// boundary after it, and TP-UDL counts the header's septets too.
Octets SeptetDeliverPdu(std::u16string_view text, std::span<const std::uint8_t> header) {
    std::vector<std::uint8_t> codes;
    for (const char16_t unit : text) {
        codes.push_back(sms::TextToGsmCode(unit));
    }
    const int headerSeptets = static_cast<int>((8 * header.size() + 6) / 7);
    const int startBit = 7 * headerSeptets;
    const int count = static_cast<int>(codes.size());
    Octets userData(header.begin(), header.end());
    userData.resize(static_cast<std::size_t>(sms::SeptetOctets(startBit, count)));
    (void)sms::PackSeptets(codes, startBit, userData);
    return DeliverPdu(header.empty() ? kDeliver : kDeliverWithHeader, kDcsDefault,
                      static_cast<std::uint8_t>(headerSeptets + count), userData);
}

Octets Ucs2DeliverPdu(std::u16string_view text) {
    Octets userData;
    for (const char16_t unit : text) {
        userData.push_back(static_cast<std::uint8_t>(unit >> 8));
        userData.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    }
    return DeliverPdu(kDeliver, kDcsUcs2, static_cast<std::uint8_t>(userData.size()), userData);
}

// Each segment of a plain GSM text as the recipient's phone stores it: 153
// characters behind an 8-bit-reference concatenation header.
std::vector<Octets> SegmentDeliverPdus(std::u16string_view text) {
    const sms::TextMeasure measure = sms::MeasureText(text, sms::AlphabetChoice::Automatic);
    std::vector<Octets> pdus;
    for (const sms::Segment& segment : sms::SegmentsOf(measure, 0x2A)) {
        const std::array<std::uint8_t, 6> header = {
            0x05, 0x00, 0x03, segment.concatRef, segment.count, segment.sequence};
        pdus.push_back(SeptetDeliverPdu(text.substr(segment.firstUnit, segment.unitCount), header));
    }
    return pdus;
}

std::vector<Octets> DeliverPdus(Sample sample) {
    const std::u16string text = TextOf(sample);
    switch (sample) {
        case Sample::Ucs2Text70:
            return {Ucs2DeliverPdu(text)};
        case Sample::ThreeSegments:
            return SegmentDeliverPdus(text);
        default:
            return {SeptetDeliverPdu(text, {})};
    }
}

void BM_DecodeDeliver(benchmark::State& state, Sample sample) {
    const std::vector<Octets> pdus = DeliverPdus(sample);
    for (const Octets& pdu : pdus) {
        if (!sms::DecodeDeliver(pdu).decoded()) {
            state.SkipWithError("sample PDU does not decode");
            return;
        }
    }
    for (auto _ : state) {
        for (const Octets& pdu : pdus) {
            sms::DeliverDecodeResult result = sms::DecodeDeliver(pdu);
            benchmark::DoNotOptimize(result);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(pdus.size()));
}

void BM_BuildMessagePdus(benchmark::State& state, Sample sample) {
    const std::u16string text = TextOf(sample);
    const Octets serviceCentreField = sms::BuildServiceCentreField(true, u"");
    const sms::SubmitOptions options = sms::MakeSubmitOptions(false, false, 0x0B);
    const sms::SubmitCounters counters;
    std::int64_t built = 0;
    for (auto _ : state) {
        std::vector<sms::EncodedPdu> pdus =
            sms::BuildMessagePdus(serviceCentreField, kRecipient, text, options, counters);
        built += static_cast<std::int64_t>(pdus.size());
        benchmark::DoNotOptimize(pdus);
    }
    state.SetItemsProcessed(built);
}

// One whole message of 1000 characters, in messages per second: the cost a
// user's long text adds to a sending run, whatever its encoding.
void BM_EncodeMessage(benchmark::State& state, Sample sample) {
    const std::u16string text = TextOf(sample);
    const Octets serviceCentreField = sms::BuildServiceCentreField(true, u"");
    const sms::SubmitOptions options = sms::MakeSubmitOptions(false, false, 0x0B);
    const sms::SubmitCounters counters;
    std::size_t segments = 0;
    for (auto _ : state) {
        std::vector<sms::EncodedPdu> pdus =
            sms::BuildMessagePdus(serviceCentreField, kRecipient, text, options, counters);
        segments = pdus.size();
        benchmark::DoNotOptimize(pdus);
    }
    state.counters["segments"] = static_cast<double>(segments);
    state.SetItemsProcessed(state.iterations());
}

// Reference: copying the 160-character DELIVER PDU's octets into a fresh
// vector, about the least any code that looks at a PDU pays.
void BM_Reference_CopyOctets(benchmark::State& state) {
    const Octets pdu = DeliverPdus(Sample::Text160).front();
    for (auto _ : state) {
        Octets copy(pdu.begin(), pdu.end());
        benchmark::DoNotOptimize(copy);
    }
    state.SetItemsProcessed(state.iterations());
}

// Reference: HexToBytes of the same PDU's hex line, the step every received
// PDU takes before it is decoded.
void BM_Reference_HexToBytes(benchmark::State& state) {
    const std::string hex = sms::BytesToHex(DeliverPdus(Sample::Text160).front());
    for (auto _ : state) {
        Octets octets = sms::HexToBytes(hex);
        benchmark::DoNotOptimize(octets);
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK_CAPTURE(BM_DecodeDeliver, ShortText, Sample::ShortText);
BENCHMARK_CAPTURE(BM_DecodeDeliver, Text160, Sample::Text160);
BENCHMARK_CAPTURE(BM_DecodeDeliver, Ucs2Text70, Sample::Ucs2Text70);
BENCHMARK_CAPTURE(BM_DecodeDeliver, ThreeSegments, Sample::ThreeSegments);
BENCHMARK_CAPTURE(BM_BuildMessagePdus, ShortText, Sample::ShortText);
BENCHMARK_CAPTURE(BM_BuildMessagePdus, Text160, Sample::Text160);
BENCHMARK_CAPTURE(BM_BuildMessagePdus, ThreeSegments, Sample::ThreeSegments);
// Per message, not per PDU: compare their time per iteration.
BENCHMARK_CAPTURE(BM_EncodeMessage, Reference_Gsm1000, Sample::Gsm1000);
BENCHMARK_CAPTURE(BM_EncodeMessage, GsmExtension1000, Sample::GsmExtension1000);
BENCHMARK_CAPTURE(BM_EncodeMessage, Unicode1000, Sample::Unicode1000);
BENCHMARK(BM_Reference_CopyOctets);
BENCHMARK(BM_Reference_HexToBytes);
