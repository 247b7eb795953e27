#include "sms/delivery_status.h"

namespace mivex::sms {
namespace {

constexpr int kClassMask = 0x60;
constexpr int kTryingClass = 0x20;
constexpr int kHighestDefined = 0x7F;

}  // namespace

DeliveryState ClassifyReportStatus(int status) {
    if (status < 0 || status > kHighestDefined) {
        return DeliveryState::Failed;
    }
    switch (status & kClassMask) {
        case 0x00:
            return DeliveryState::Delivered;
        case kTryingClass:
            return DeliveryState::Trying;
        default:
            return DeliveryState::Failed;
    }
}

std::u16string_view DeliveryReason(int status) {
    switch (status) {
        case 0x00:
            return u"delivered";
        case 0x01:
            return u"forwarded, delivery not confirmed";
        case 0x02:
            return u"replaced by the service centre";
        // The temporary errors: 0x2n while the centre still tries, 0x6n once it
        // has stopped.
        case 0x20:
        case 0x60:
            return u"network congested";
        case 0x21:
        case 0x61:
            return u"recipient busy";
        case 0x22:
        case 0x62:
            return u"no response from the recipient";
        case 0x23:
        case 0x63:
            return u"service rejected";
        case 0x24:
        case 0x44:
        case 0x64:
            return u"quality of service not available";
        case 0x25:
        case 0x65:
            return u"error in the recipient's phone";
        case 0x40:
            return u"remote procedure error";
        case 0x41:
            return u"incompatible destination";
        case 0x42:
            return u"connection rejected by the recipient";
        case 0x43:
            return u"number not obtainable";
        case 0x45:
            return u"no interworking available";
        case 0x46:
            return u"validity period expired";
        case 0x47:
            return u"deleted by the sender";
        case 0x48:
            return u"deleted by the service centre";
        case 0x49:
            return u"message does not exist";
        default:
            break;
    }
    switch (ClassifyReportStatus(status)) {
        case DeliveryState::Delivered:
            return u"delivered";
        case DeliveryState::Trying:
            return u"the service centre is still trying";
        case DeliveryState::Failed:
            break;
    }
    return status > kHighestDefined ? u"unknown status" : u"refused by the service centre";
}

}  // namespace mivex::sms
