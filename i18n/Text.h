// Interface texts by meaning. Each value is the line of language.csv that holds the text in
// every language; the dialog keeps text N in slot N of its interface text table.
#pragma once

enum class Text : int {
  SearchDevices = 2,             // Search devices
  GetCurrentParameters = 3,      // Get current parameters
  NetworkParameters = 4,         // Network parameters
  IpAddress = 5,                 // IP address
  NetworkMode = 6,               // Network mode
  SubnetMask = 7,                // Subnet mask
  ServerAddress = 8,             // Server address
  Gateway = 9,                   // Gateway
  ServerPort = 10,               // Server port
  DnsServer1 = 11,               // DNS server 1
  DnsServer2 = 12,               // DNS server 2
  HttpServerLanguage = 13,       // HTTP server language
  FormatParameters = 14,         // Format parameters
  OutputFormat = 15,             // Output format
  CardInputFormat = 16,          // Card number input format
  HidCarriageReturn = 17,        // HID format: carriage return
  Reserved18 = 18,               // Reserved
  SerialBaudRate = 19,           // Serial port: baud rate
  Reserved20 = 20,               // Reserved
  Parity = 21,                   // Parity
  LineFeed = 22,                 // Line feed
  DataBits = 23,                 // Data bits
  StopBits = 24,                 // Stop bits
  QrSerialOutputFormat = 25,     // QR code serial output format
  ExternalParameters = 26,       // External parameters
  RestartSetting = 27,           // Restart setting
  WorkMode = 28,                 // Work mode
  Speaker = 29,                  // Speaker
  Light = 30,                    // Light
  BarcodeSettings = 31,          // Barcode / QR code settings
  PrefixSuffixInputFormat = 32,  // Prefix/suffix input format
  Prefix = 33,                   // Prefix
  Suffix = 34,                   // Suffix
  CardPrefixSuffixFormat = 35,   // Card prefix/suffix format
  SerialOutputFormat = 36,       // Serial output format
  WiegandTiming = 37,            // Wiegand timing
  LowPulse = 38,                 // Low pulse (us)
  HighPulse = 39,                // High pulse (us)
  QrParameters = 40,             // QR code parameters
  CardNumberFormat = 41,         // Card number format
  EncryptedLabel = 42,           // Encrypted
  NtpAddress = 43,               // NTP address
  UseCount = 44,                 // Use count
  BackupAddress = 45,            // Backup address
  NetworkProtocol = 46,          // Network protocol
  OutputFromDigit = 47,          // Output from digit
  Set = 48,                      // Set
  StaticIp = 49,                 // Static IP
  Dhcp = 50,                     // DHCP
  UsbKeyboard = 51,              // USB keyboard
  UsbVirtualSerialPort = 52,     // USB virtual serial port
  Relay = 53,                    // Relay
  NoLineFeed = 54,               // No line feed
  WithLineFeed = 55,             // With line feed
  WithCarriageReturn = 56,       // With carriage return
  NoCarriageReturn = 57,         // No carriage return
  RestartDaily = 58,             // Restart daily
  RestartWeekly = 59,            // Restart weekly
  CardOnly = 60,                 // Card only
  QrCodeOnly = 61,               // QR code only
  CardAndQrCode = 62,            // Card and QR code
  On = 63,                       // On
  Off = 64,                      // Off
  AlwaysOn = 65,                 // Always on
  Auto = 66,                     // Auto
  NotEncrypted = 67,             // Not encrypted
  Encrypted = 68,                // Encrypted
  Unlimited = 69,                // Unlimited
  Once = 70,                     // Once
  Offline = 71,                  // Offline
  Online = 72,                   // Online
  Reserved73 = 73,               // Reserved
  Reserved74 = 74,               // Reserved
  SetSuccessfully = 75,          // Set successfully
  ParametersRead = 76,           // Parameters read
  Ready = 77,                    // Ready
  Decimal = 78,                  // Decimal
  NetworkNotReady = 79,          // Network not ready: cannot search
  SendFailed = 80,               // Send failed
  Sent = 81,                     // Sent
  CannotStartSockets = 82,       // Cannot start the sockets layer
  CannotCreateSocket = 83,       // Cannot create the socket
  CannotBindPort = 84,           // Cannot bind the port (is it in use?)
  NetworkReady = 85,             // Network ready
  Reserved86 = 86,               // Reserved
  NoReaderSelected = 87,         // Select a reader first
  SentToAddress = 88,            // Sent to %d.%d.%d.%d
  Hexadecimal = 89,              // Hexadecimal
  Bcd = 90,                      // BCD
  RawData = 91,                  // Raw data
  PortLine = 92,                 // Local port %d  Discovery port %d
  WindowTitle = 93,              // Reader Configuration Tool
  ReaderAddressLine = 94,        // %s  %d.%d.%d.%d
  // Profiles in the window (the right-button menu), after every text the dialog had before.
  SaveProfile = 95,           // Save profile...
  LoadProfile = 96,           // Load profile...
  ProfileFiles = 97,          // Kestrival profiles
  ProfileCannotBeUsed = 98,   // The profile cannot be used:
  ReadParametersFirst = 99,   // Read the reader's parameters first
  ProfileSaved = 100,         // Profile saved
  ProfileNotSaved = 101,      // The profile cannot be written
  ProfileLoaded = 102,        // Profile loaded: press Set for each group to write it
  ProfileLoadedExcept = 103,  // Profile loaded except for disabled controls: %s
};
// The last text of the table.
inline constexpr Text kLastText = Text::ProfileLoadedExcept;

// The slot of a text in the interface text table.
constexpr int TextSlot(Text t) {
  return static_cast<int>(t);
}
