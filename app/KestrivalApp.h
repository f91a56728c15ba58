// The application object: prepares the common controls and the sockets layer, then runs the
// main dialog modally.
#pragma once

#include "platform/afxwin.h"

class CKestrivalApp : public CWinApp {
 public:
  CKestrivalApp();
  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

extern CKestrivalApp theApp;
