// The interface text of each button, group box and label, in the order the captions are set.
#include "app/Captions.h"

#include "app/resource.h"

namespace {

constexpr CaptionEntry kCaptions[] = {
    {IDC_BTN_SEARCH, Text::SearchDevices},
    {IDC_BTN_GET_PARAMS, Text::GetCurrentParameters},
    {IDC_BTN_SET_NETWORK, Text::Set},
    {IDC_BTN_SET_HIDDEN_CHOICE, Text::Set},
    {IDC_BTN_SET_CARD_INPUT_FORMAT, Text::Set},
    {IDC_BTN_SET_HID, Text::Set},
    {IDC_BTN_SET_CARD_FIX, Text::Set},
    {IDC_BTN_SET_OUTPUT_FORMAT, Text::Set},
    {IDC_BTN_SET_WORK_MODE, Text::Set},
    {IDC_BTN_SET_LIGHT, Text::Set},
    {IDC_BTN_SET_SPEAKER, Text::Set},
    {IDC_BTN_SET_WIEGAND, Text::Set},
    {IDC_BTN_SET_CLOUD, Text::Set},
    {IDC_BTN_SET_SERIAL, Text::Set},
    {IDC_BTN_SET_RESTART, Text::Set},
    {IDC_BTN_SET_QR, Text::Set},
    {IDC_BTN_SET_BAR_PREFIX, Text::Set},
    {IDC_BTN_SET_BAR_SUFFIX, Text::Set},
    {IDC_GROUP_NETWORK, Text::NetworkParameters},
    {IDC_LABEL_IP_ADDRESS, Text::IpAddress},
    {IDC_LABEL_NETMASK, Text::SubnetMask},
    {IDC_LABEL_GATEWAY, Text::Gateway},
    {IDC_LABEL_DNS1, Text::DnsServer1},
    {IDC_LABEL_DNS2, Text::DnsServer2},
    {IDC_LABEL_NET_MODE, Text::NetworkMode},
    {IDC_LABEL_SERVER_ADDR, Text::ServerAddress},
    {IDC_LABEL_SERVER_PORT, Text::ServerPort},
    {IDC_LABEL_HTTP_LANG, Text::HttpServerLanguage},
    {IDC_GROUP_FORMAT, Text::FormatParameters},
    {IDC_LABEL_OUTPUT_FORMAT, Text::OutputFormat},
    {IDC_LABEL_CARD_INPUT_FORMAT, Text::CardInputFormat},
    {IDC_LABEL_HID_ENTER, Text::HidCarriageReturn},
    {IDC_LABEL_HID_NEWLINE, Text::LineFeed},
    {IDC_LABEL_BAUD_RATE, Text::SerialBaudRate},
    {IDC_LABEL_DATA_BITS, Text::DataBits},
    {IDC_LABEL_STOP_BITS, Text::StopBits},
    {IDC_LABEL_PARITY, Text::Parity},
    {IDC_LABEL_QR_SERIAL_FORMAT, Text::QrSerialOutputFormat},
    {IDC_GROUP_EXTERNAL, Text::ExternalParameters},
    {IDC_LABEL_RESTART, Text::RestartSetting},
    {IDC_LABEL_WORK_MODE, Text::WorkMode},
    {IDC_LABEL_SPEAKER, Text::Speaker},
    {IDC_LABEL_LIGHT, Text::Light},
    {IDC_GROUP_BARCODE, Text::BarcodeSettings},
    {IDC_LABEL_BAR_FIX_FORMAT, Text::PrefixSuffixInputFormat},
    {IDC_LABEL_BAR_PREFIX, Text::Prefix},
    {IDC_LABEL_BAR_SUFFIX, Text::Suffix},
    {IDC_GROUP_CARD_FIX, Text::CardPrefixSuffixFormat},
    {IDC_LABEL_CARD_FIX_FORMAT, Text::PrefixSuffixInputFormat},
    {IDC_LABEL_CARD_PREFIX, Text::Prefix},
    {IDC_LABEL_CARD_SERIAL_FORMAT, Text::SerialOutputFormat},
    {IDC_LABEL_CARD_SUFFIX, Text::Suffix},
    {IDC_GROUP_WIEGAND, Text::WiegandTiming},
    {IDC_LABEL_WG_LOW, Text::LowPulse},
    {IDC_LABEL_WG_HIGH, Text::HighPulse},
    {IDC_GROUP_QR, Text::QrParameters},
    {IDC_LABEL_QR_CARD_FORMAT, Text::CardNumberFormat},
    {IDC_LABEL_QR_USE_COUNT, Text::UseCount},
    {IDC_LABEL_QR_ENCRYPTED, Text::EncryptedLabel},
    {IDC_LABEL_QR_PROTOCOL, Text::NetworkProtocol},
    {IDC_LABEL_QR_NTP, Text::NtpAddress},
    {IDC_LABEL_QR_BACKUP, Text::BackupAddress},
    {IDC_LABEL_QR_WORK_MODE, Text::WorkMode},
    {IDC_LABEL_QR_START_DIGIT, Text::OutputFromDigit},
};

}  // namespace

std::span<const CaptionEntry> DialogCaptions() {
  return kCaptions;
}
