// Resource and control ids, shared by the resource script and the code.
#ifndef VELMORA_UI_RESOURCE_H_
#define VELMORA_UI_RESOURCE_H_

#define IDR_STATUS_MENU 4001
#define IDD_CONFIG 4004
#define IDC_RETRIEVE_ALL 4008
#define IDC_STATUS 4010
#define IDC_AUTO_CONNECT 4011
#define IDC_REMOVE_ZERO_VOLUME 4012
#define ID_CONNECT 32771
#define ID_DISCONNECT 32772

#endif  // VELMORA_UI_RESOURCE_H_
