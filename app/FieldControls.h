// The dialog's control for each field of the catalogue (params/Catalogue.h). The option lists'
// items and defaults, the profile's fields and the reply confirmations go through this binding.
#pragma once

#include <iterator>

#include "app/resource.h"
#include "params/Catalogue.h"

struct FieldControl {
  Field field;
  int control;
};

inline constexpr FieldControl FIELD_CONTROLS[] = {
    {Field::IpAddress, IDC_IP_ADDRESS},
    {Field::SubnetMask, IDC_IP_NETMASK},
    {Field::Gateway, IDC_IP_GATEWAY},
    {Field::DnsServer1, IDC_IP_DNS1},
    {Field::DnsServer2, IDC_IP_DNS2},
    {Field::NetworkMode, IDC_COMBO_NET_MODE},
    {Field::ServerAddress, IDC_EDIT_SERVER_ADDR},
    {Field::ServerPort, IDC_EDIT_SERVER_PORT},
    {Field::HttpServerLanguage, IDC_COMBO_HTTP_LANG},
    {Field::OutputFormat, IDC_COMBO_OUTPUT_FORMAT},
    {Field::CardInputFormat, IDC_COMBO_CARD_INPUT_FORMAT},
    {Field::CarriageReturn, IDC_COMBO_HID_ENTER},
    {Field::LineFeed, IDC_COMBO_HID_NEWLINE},
    {Field::BaudRate, IDC_COMBO_BAUD_RATE},
    {Field::DataBits, IDC_COMBO_DATA_BITS},
    {Field::StopBits, IDC_COMBO_STOP_BITS},
    {Field::Parity, IDC_COMBO_PARITY},
    {Field::QrSerialOutputFormat, IDC_COMBO_QR_SERIAL_FORMAT},
    {Field::RestartSetting, IDC_COMBO_RESTART},
    {Field::WorkMode, IDC_COMBO_WORK_MODE},
    {Field::Speaker, IDC_COMBO_SPEAKER},
    {Field::Light, IDC_COMBO_LIGHT},
    {Field::BarcodeInputFormat, IDC_COMBO_BAR_FIX_FORMAT},
    {Field::BarcodePrefix, IDC_EDIT_BAR_PREFIX},
    {Field::BarcodeSuffix, IDC_EDIT_BAR_SUFFIX},
    {Field::CardSerialOutputFormat, IDC_COMBO_CARD_SERIAL_FORMAT},
    {Field::CardInputFixFormat, IDC_COMBO_CARD_FIX_FORMAT},
    {Field::CardPrefix, IDC_EDIT_CARD_PREFIX},
    {Field::CardSuffix, IDC_EDIT_CARD_SUFFIX},
    {Field::WiegandLowPulse, IDC_EDIT_WG_LOW},
    {Field::WiegandHighPulse, IDC_EDIT_WG_HIGH},
    {Field::QrNetworkProtocol, IDC_COMBO_QR_PROTOCOL},
    {Field::QrCardNumberFormat, IDC_COMBO_QR_CARD_FORMAT},
    {Field::QrEncrypted, IDC_COMBO_QR_ENCRYPTED},
    {Field::QrUseCount, IDC_COMBO_QR_USE_COUNT},
    {Field::QrOutputFromDigit, IDC_COMBO_QR_START_DIGIT},
    {Field::QrWorkMode, IDC_COMBO_QR_WORK_MODE},
    {Field::QrNtpAddress, IDC_EDIT_QR_NTP},
    {Field::QrBackupAddress, IDC_EDIT_QR_BACKUP},
    {Field::HiddenChoice, IDC_COMBO_HIDDEN_CHOICE},
    {Field::CloudProvider, IDC_COMBO_CLOUD_PROVIDER},
};

// The control of a field; 0 for a field the dialog has no control for.
constexpr int ControlOf(Field field) {
  for (const FieldControl& b : FIELD_CONTROLS) {
    if (b.field == field) return b.control;
  }
  return 0;
}

// Every field has one control, and no control serves two fields.
static_assert([] {
  if (std::size(FIELD_CONTROLS) != std::size(PARAM_FIELDS)) return false;
  for (const ParamField& f : PARAM_FIELDS) {
    int bound = 0;
    for (const FieldControl& b : FIELD_CONTROLS) bound += b.field == f.field ? 1 : 0;
    if (bound != 1) return false;
  }
  for (const FieldControl& a : FIELD_CONTROLS) {
    for (const FieldControl& b : FIELD_CONTROLS) {
      if (&a != &b && a.control == b.control) return false;
    }
  }
  return true;
}());
