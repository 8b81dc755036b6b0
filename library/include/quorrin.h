/*
 * quorrin - node-oriented device-driver interface to KORVO NC ETH bus couplers.
 *
 * Every call is one request/confirmation exchange over TCP port 1962 with the
 * coupler's controller and runs on the caller's thread. Calls return 32-bit
 * result codes (0 = success) and never throw. Caller records are byte-packed
 * and in host byte order; the library converts to the big-endian wire order.
 */
#ifndef QUORRIN_H
#define QUORRIN_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  if defined(QUORRIN_BUILDING)
#    define QUORRIN_API __declspec(dllexport)
#  else
#    define QUORRIN_API __declspec(dllimport)
#  endif
#elif defined(QUORRIN_BUILDING)
#  define QUORRIN_API __attribute__((visibility("default")))
#else
#  define QUORRIN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Constants ---------------------------------------------------------- */

#define QUORRIN_PORT 1962                 /* controller TCP port */
#define QUORRIN_MAX_REQUEST 1054          /* longest request message in bytes */
#define QUORRIN_RECEIVE_BUFFER 2048       /* longest confirmation message in bytes */
#define QUORRIN_MAX_WRITE_DATA 1036       /* data bytes of one DDI_DTI_WriteData */
#define QUORRIN_MAX_READWRITE_DATA 1030   /* write bytes of one DDI_DTI_ReadWriteData */
#define QUORRIN_MAX_READ_DATA 2028        /* data bytes of one read */
#define QUORRIN_MAX_SEND_MESSAGE 1036     /* bytes of one sent mailbox message */
#define QUORRIN_MAX_RECEIVE_MESSAGE 2024  /* bytes of one received mailbox message */
#define QUORRIN_FIRST_HANDLE 64           /* lowest node handle */
#define QUORRIN_LAST_HANDLE 319           /* highest node handle */
#define QUORRIN_MAX_CLIENT_NAME 128       /* client name buffer, terminating zero included */
#define QUORRIN_MAX_CONTROL_PAYLOAD 1038  /* payload bytes of one DDI_DevIOCtrl request */
#define QUORRIN_MAX_MONITOR_DATA 1000     /* data bytes of one monitoring datagram */
#define QUORRIN_MAX_INDICATION_DATA 1028  /* data bytes of one data-indication datagram */
#define QUORRIN_MAX_SECURITY_VALUES 32    /* security values of one set or get */
#define QUORRIN_FIRST_DATAGRAM_PORT 1024  /* datagram listeners take the first free port ... */
#define QUORRIN_LAST_DATAGRAM_PORT 2023   /* ... up to this one */
#define QUORRIN_MANAGEMENT_ENTRIES 16     /* management handles are 0..15 */
#define QUORRIN_MANAGEMENT_TEXT 16        /* longest ETH_SetEthernetAddress text */
#define QUORRIN_IDENTIFY_SIZE 96          /* bytes of the ETH_Identify block */

/* DDI_DevIOCtrl command codes */
#define ETH_CMD_READ_MPM 0x0801
#define ETH_CMD_WRITE_MPM 0x0802
#define ETH_CMD_SET_HOST_CHECKING 0x0803
#define ETH_CMD_CLEAR_HOST_CHECKING 0x0804
#define ETH_CMD_SET_DTI_TIMEOUT 0x0805
#define ETH_CMD_CLEAR_DTI_TIMEOUT 0x0806
#define ETH_CMD_ACTIVATE_PDIN_MONITORING 0x0807
#define ETH_CMD_DEACTIVATE_PDIN_MONITORING 0x0808
#define ETH_CMD_GET_WATCHDOG_STATUS 0x0809
#define ETH_CMD_CLEAR_WATCHDOG_STATUS 0x080A
#define ETH_CMD_GET_NETFAIL_STATUS 0x080B
#define ETH_CMD_CLEAR_NETFAIL_STATUS 0x080C
#define ETH_CMD_SET_NETFAIL 0x080D
#define ETH_CMD_SET_NETFAIL_MODE 0x080E
#define ETH_CMD_GET_NETFAIL_MODE 0x080F
#define ETH_CMD_SECURITY_LOGIN 0x0810
#define ETH_CMD_SET_SECURITY 0x0812
#define ETH_CMD_GET_SECURITY 0x0813
#define ETH_CMD_ACTIVATE_DATA_INDICATION 0x0820
#define ETH_CMD_DEACTIVATE_DATA_INDICATION 0x0821
#define ETH_CMD_SET_DATA_WATCH_AREA 0x0822
#define ETH_CMD_CLEAR_DATA_WATCH_AREA 0x0823
#define ETH_CMD_CLEAR_ALL_DATA_WATCH_AREAS 0x0824

/* Monitoring and data-indication modes */
#define ETH_MODE_OFF 0
#define ETH_MODE_CALLBACK 1
#define ETH_MODE_DATAGRAM 2

#define ETH_OPTION_RECEIVE_TIMEOUT 1      /* 32-bit seconds */
#define ETH_OPTION_CONNECT_TIMEOUT 2      /* 32-bit seconds */
#define ETH_OPTION_CLIENT_NAME 3          /* zero-terminated text */
/* 32-bit seconds: longest time one exchange may take in all, however its
 * confirmation arrives (in pieces, or behind indications). 0, the initial
 * value, means four times the wait for each piece: 4 x the receive timeout,
 * plus the notification wait time while message notification is active.
 * No limit while notification waits without limit (-1). An exchange over
 * this time ends with ERR_TIMEOUT and drops the node. */
#define ETH_OPTION_EXCHANGE_TIMEOUT 4
/* Indications taken while waiting for one confirmation; a call that has taken
 * this many without its confirmation ends with ERR_TIMEOUT and drops the node. */
#define QUORRIN_MAX_INDICATIONS_PER_CALL 1000

#define ETH_NETWORK_ERROR_LAST (-1)       /* ETH_GetNetworkError: the library-wide last error */

/* ---- Result codes (fixed values, never renumbered) ----------------------- */

#define DDI_OK                 0x00000000u /* success */
#define ERR_DEVICE_BASE        0xE0070000u /* plus the controller's error code of a negative confirmation */
#define ERR_MGMT_HANDLE        0xE0070040u /* management handle above 15 */
#define ERR_MGMT_STATE         0xE0070041u /* management connection not open */
#define ERR_MGMT_CONFIRMATION  0xE0070043u /* unexpected management confirmation */
#define ERR_MGMT_TEXT_LENGTH   0xE0070044u /* text argument longer than 16 characters */
#define ERR_MGMT_HOST          0xE0070045u /* management host not resolvable */
#define ERR_HANDLE_RANGE       0xE0070085u /* node handle outside 64..319 */
#define ERR_NODE_STATE         0xE0070086u /* node not open-idle, or a needed indication mode not active */
#define ERR_CONFIRMATION       0xE007008Cu /* confirmation carries another code than expected, or too few result bytes */
#define ERR_NODE_NAME          0xE0070091u /* node name malformed, or not listed for its device */
#define ERR_TABLE_FULL         0xE0070092u /* no free entry in the node or management table */
#define ERR_HANDLER_STATE      0xE0070100u /* exception handler cannot be set or cleared in this state */
#define ERR_BAD_OPTION         0xE0070200u /* client option number not supported */
#define ERR_OPTION_SIZE        0xE0070201u /* wrong size for a client option */
#define ERR_INVALID_ARGUMENT   0xE0070300u /* null record or data address, a count out of range, or a control command outside the table; a bad handle is reported first */
#define ERR_NETWORK            0xE0071000u /* socket error, connection closed, malformed message or datagram; see ETH_GetNetworkError */
#define ERR_TIMEOUT            0xE0071001u /* a wait for a connection or for reply data timed out */
#define ERR_NO_MEMORY          0xE0071002u /* a buffer cannot be allocated */
#define ERR_REQUEST_LENGTH     0xE0071003u /* request longer than 1054 bytes (control payload over 1038), or reply could not fit 2048 bytes */
#define ERR_BUFFER_SIZE        0xE0071004u /* DDI_MXI_RcvMessage: the message was longer than the caller's buffer; the buffer holds its start, `length` its full size */
#define ERR_HOST_UNRESOLVED    0xE0071016u /* host is neither a dotted IPv4 address nor a resolvable name */
#define ERR_REGISTRY_KEY       0xE0071020u /* parameter key or device subkey cannot be opened */
#define ERR_REGISTRY_VALUE     0xE0071021u /* value InUse, DeviceNames or IPAddress missing */
#define ERR_DEVICE_NOT_IN_USE  0xE0071022u /* the device's InUse value is not YES */

/* ---- Caller records (byte-packed, host byte order) ----------------------- */

#pragma pack(push, 1)

/* Process-data block: `length` bytes at byte `address` of the node's image. */
typedef struct DDI_PD_RECORD {
    uint16_t length;
    uint16_t address;
    uint16_t attribute;
    uint8_t *data;
} DDI_PD_RECORD;

/* Mailbox message; on receive `length` is the buffer size in, bytes received out. */
typedef struct DDI_MSG_RECORD {
    uint16_t tag1;
    uint16_t length;
    uint16_t tag2;
    uint8_t *data;
} DDI_MSG_RECORD;

/* Message notification; `waitTime` in milliseconds, -1 = no limit. */
typedef struct DDI_NOTIFY_RECORD {
    uint32_t notify1;
    uint32_t notify2;
    int32_t waitTime;
} DDI_NOTIFY_RECORD;

/* Controller diagnosis registers. */
typedef struct DDI_DIAG_RECORD {
    uint16_t statusRegister;
    uint16_t parameterRegister;
} DDI_DIAG_RECORD;

/* Called during an exchange with each process-data indication while monitoring is in
 * callback mode; `record->data` is valid during the call only. */
typedef void (*ETH_MONITOR_CALLBACK)(uint32_t handle, DDI_PD_RECORD *record);

/* Controller memory for commands 0801/0802: `length` bytes at `address`.
 * On read `length` is the buffer size in and the bytes copied out. */
typedef struct ETH_MPM_RECORD {
    uint32_t address;
    uint32_t length;
    uint8_t *data;
} ETH_MPM_RECORD;

/* Controller memory for DDI_MPM_ReadData / DDI_MPM_WriteData (`length` first). */
typedef struct DDI_MPM_RECORD {
    uint32_t length;
    uint32_t address;
    uint8_t *data;
} DDI_MPM_RECORD;

/* Process-data-in monitoring (0807): `mode` ETH_MODE_*; `length` bytes of `data` are sent;
 * `callback` serves mode 1; `waitTime` (milliseconds, -1 = no limit) serves mode 2. */
typedef struct ETH_MONITOR_RECORD {
    uint16_t mode;
    uint16_t monitorParam;
    uint16_t length;
    const uint8_t *data;
    ETH_MONITOR_CALLBACK callback;
    int32_t waitTime;
} ETH_MONITOR_RECORD;

/* Net-fail mode (080E/080F): on get `length` is the size of `data` in and the bytes copied out. */
typedef struct ETH_NETFAIL_MODE_RECORD {
    uint16_t mode;
    uint16_t length;
    uint8_t *data;
} ETH_NETFAIL_MODE_RECORD;

/* Security words (0812/0813): `keyBlock` holds 16 bytes, `values` up to 32 entries.
 * On get `count` is what the controller announces; at most 32 values are copied. */
typedef struct ETH_SECURITY_RECORD {
    uint16_t securityWord1;
    uint16_t securityWord2;
    uint16_t securityWord3;
    uint8_t *keyBlock;
    uint16_t count;
    uint32_t *values;
} ETH_SECURITY_RECORD;

/* Login (0810): two words and a 16-byte block sent unchanged. */
typedef struct ETH_LOGIN_RECORD {
    uint16_t firstWord;
    uint16_t secondWord;
    const uint8_t *keyBlock;
} ETH_LOGIN_RECORD;

/* Data indications (0820); mode 2 opens the datagram listener. */
typedef struct ETH_INDICATION_RECORD {
    uint16_t mode;
    uint32_t indicationParam1;
    uint32_t indicationParam2;
    uint32_t indicationParam3;
} ETH_INDICATION_RECORD;

/* Data watch area (0822): the controller returns the area's id in `watchId`. */
typedef struct ETH_WATCH_RECORD {
    int32_t watchValue;
    uint32_t watchId;
    const DDI_PD_RECORD *area;
} ETH_WATCH_RECORD;

/* Data-indication wait: `area->data` must hold 1028 bytes; `area->length` returns the bytes copied. */
typedef struct ETH_DATA_INDICATION_RECORD {
    uint32_t indicationValue;
    int32_t waitTime;
    uint16_t indicationWord;
    DDI_PD_RECORD *area;
} ETH_DATA_INDICATION_RECORD;

/* Three 32-bit values sent unchanged by ETH_SetInternetAddress (bytes as stored). */
typedef struct ETH_INTERNET_ADDRESS {
    uint32_t ipAddress;
    uint32_t subnetMask;
    uint32_t gateway;
} ETH_INTERNET_ADDRESS;

/* Six address bytes sent unchanged by ETH_SetEthernetAddress. */
typedef struct ETH_ETHERNET_ADDRESS {
    uint32_t high;
    uint16_t low;
} ETH_ETHERNET_ADDRESS;

/* ETH_GetNetConfiguration: 22 bytes as sent; the two words at 14 and 16 in host order. */
typedef struct ETH_NET_CONFIGURATION {
    uint8_t head[14];
    uint16_t firstWord;
    uint16_t secondWord;
    uint8_t tail[4];
} ETH_NET_CONFIGURATION;

/* ETH_Status: 16 bytes as sent; the words at 0 and 2 in host order. */
typedef struct ETH_STATUS_RECORD {
    uint16_t firstWord;
    uint16_t secondWord;
    uint8_t tail[12];
} ETH_STATUS_RECORD;

#pragma pack(pop)

#ifdef __cplusplus
#  define QUORRIN_STATIC_ASSERT static_assert
#else
#  define QUORRIN_STATIC_ASSERT _Static_assert
#endif
QUORRIN_STATIC_ASSERT(sizeof(DDI_PD_RECORD) == 6 + sizeof(void *), "DDI_PD_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(DDI_PD_RECORD, address) == 2, "DDI_PD_RECORD.address at 2");
QUORRIN_STATIC_ASSERT(offsetof(DDI_PD_RECORD, attribute) == 4, "DDI_PD_RECORD.attribute at 4");
QUORRIN_STATIC_ASSERT(offsetof(DDI_PD_RECORD, data) == 6, "DDI_PD_RECORD.data at 6");
QUORRIN_STATIC_ASSERT(sizeof(DDI_MSG_RECORD) == 6 + sizeof(void *), "DDI_MSG_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(DDI_MSG_RECORD, length) == 2, "DDI_MSG_RECORD.length at 2");
QUORRIN_STATIC_ASSERT(offsetof(DDI_MSG_RECORD, tag2) == 4, "DDI_MSG_RECORD.tag2 at 4");
QUORRIN_STATIC_ASSERT(offsetof(DDI_MSG_RECORD, data) == 6, "DDI_MSG_RECORD.data at 6");
QUORRIN_STATIC_ASSERT(sizeof(DDI_NOTIFY_RECORD) == 12, "DDI_NOTIFY_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(DDI_NOTIFY_RECORD, notify2) == 4, "DDI_NOTIFY_RECORD.notify2 at 4");
QUORRIN_STATIC_ASSERT(offsetof(DDI_NOTIFY_RECORD, waitTime) == 8, "DDI_NOTIFY_RECORD.waitTime at 8");
QUORRIN_STATIC_ASSERT(sizeof(DDI_DIAG_RECORD) == 4, "DDI_DIAG_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(DDI_DIAG_RECORD, parameterRegister) == 2, "DDI_DIAG_RECORD.parameterRegister at 2");
QUORRIN_STATIC_ASSERT(sizeof(ETH_MPM_RECORD) == 8 + sizeof(void *), "ETH_MPM_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(ETH_MPM_RECORD, length) == 4, "ETH_MPM_RECORD.length at 4");
QUORRIN_STATIC_ASSERT(offsetof(ETH_MPM_RECORD, data) == 8, "ETH_MPM_RECORD.data at 8");
QUORRIN_STATIC_ASSERT(sizeof(DDI_MPM_RECORD) == 8 + sizeof(void *), "DDI_MPM_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(DDI_MPM_RECORD, address) == 4, "DDI_MPM_RECORD.address at 4");
QUORRIN_STATIC_ASSERT(offsetof(DDI_MPM_RECORD, data) == 8, "DDI_MPM_RECORD.data at 8");
QUORRIN_STATIC_ASSERT(sizeof(ETH_MONITOR_RECORD) == 10 + 2 * sizeof(void *), "ETH_MONITOR_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(ETH_MONITOR_RECORD, length) == 4, "ETH_MONITOR_RECORD.length at 4");
QUORRIN_STATIC_ASSERT(offsetof(ETH_MONITOR_RECORD, data) == 6, "ETH_MONITOR_RECORD.data at 6");
QUORRIN_STATIC_ASSERT(offsetof(ETH_MONITOR_RECORD, waitTime) == 6 + 2 * sizeof(void *), "ETH_MONITOR_RECORD.waitTime");
QUORRIN_STATIC_ASSERT(sizeof(ETH_NETFAIL_MODE_RECORD) == 4 + sizeof(void *), "ETH_NETFAIL_MODE_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(ETH_NETFAIL_MODE_RECORD, data) == 4, "ETH_NETFAIL_MODE_RECORD.data at 4");
QUORRIN_STATIC_ASSERT(sizeof(ETH_SECURITY_RECORD) == 8 + 2 * sizeof(void *), "ETH_SECURITY_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(ETH_SECURITY_RECORD, keyBlock) == 6, "ETH_SECURITY_RECORD.keyBlock at 6");
QUORRIN_STATIC_ASSERT(offsetof(ETH_SECURITY_RECORD, count) == 6 + sizeof(void *), "ETH_SECURITY_RECORD.count");
QUORRIN_STATIC_ASSERT(sizeof(ETH_LOGIN_RECORD) == 4 + sizeof(void *), "ETH_LOGIN_RECORD must be packed");
QUORRIN_STATIC_ASSERT(sizeof(ETH_INDICATION_RECORD) == 14, "ETH_INDICATION_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(ETH_INDICATION_RECORD, indicationParam1) == 2, "ETH_INDICATION_RECORD.indicationParam1 at 2");
QUORRIN_STATIC_ASSERT(sizeof(ETH_WATCH_RECORD) == 8 + sizeof(void *), "ETH_WATCH_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(ETH_WATCH_RECORD, area) == 8, "ETH_WATCH_RECORD.area at 8");
QUORRIN_STATIC_ASSERT(sizeof(ETH_DATA_INDICATION_RECORD) == 10 + sizeof(void *), "ETH_DATA_INDICATION_RECORD must be packed");
QUORRIN_STATIC_ASSERT(offsetof(ETH_DATA_INDICATION_RECORD, indicationWord) == 8, "ETH_DATA_INDICATION_RECORD.indicationWord at 8");
QUORRIN_STATIC_ASSERT(offsetof(ETH_DATA_INDICATION_RECORD, area) == 10, "ETH_DATA_INDICATION_RECORD.area at 10");
QUORRIN_STATIC_ASSERT(sizeof(ETH_INTERNET_ADDRESS) == 12, "ETH_INTERNET_ADDRESS must be packed");
QUORRIN_STATIC_ASSERT(sizeof(ETH_ETHERNET_ADDRESS) == 6, "ETH_ETHERNET_ADDRESS must be packed");
QUORRIN_STATIC_ASSERT(sizeof(ETH_NET_CONFIGURATION) == 22, "ETH_NET_CONFIGURATION must be packed");
QUORRIN_STATIC_ASSERT(offsetof(ETH_NET_CONFIGURATION, firstWord) == 14, "ETH_NET_CONFIGURATION.firstWord at 14");
QUORRIN_STATIC_ASSERT(offsetof(ETH_NET_CONFIGURATION, secondWord) == 16, "ETH_NET_CONFIGURATION.secondWord at 16");
QUORRIN_STATIC_ASSERT(sizeof(ETH_STATUS_RECORD) == 16, "ETH_STATUS_RECORD must be packed");

/* Called with (node handle, always 0, exception code 2..15) when a message carries an exception. */
typedef void (*ETH_EXCEPTION_HANDLER)(uint32_t handle, uint16_t zero, uint16_t exceptionCode);

/* ---- Options and errors -------------------------------------------------- */

/* Sets the receive timeout (1), connect timeout (2), client name (3) or exchange timeout (4) for every node. */
QUORRIN_API uint32_t ETH_SetClientOptions(int32_t option, const void *value, uint32_t size);
/* Reads an option; for the name `*size` must leave room for the zero and returns the name length. */
QUORRIN_API uint32_t ETH_GetClientOptions(int32_t option, void *value, int32_t *size);
/* -1: last network error (Windows socket numbering or ERR_TIMEOUT/ERR_NETWORK); open handle: 0; else -1. */
QUORRIN_API int32_t ETH_GetNetworkError(int32_t handle);

/* ---- Nodes --------------------------------------------------------------- */

/* Connects to the controller and opens the named node; stores its handle (64..319). */
QUORRIN_API uint32_t DDI_DevOpenNode(const char *name, uint16_t accessMode, uint32_t *handle);
/* Closes a node; a refused close leaves it open. */
QUORRIN_API uint32_t DDI_DevCloseNode(uint32_t handle);
/* Installs the exception handler; a pending exception calls it before returning. */
QUORRIN_API uint32_t ETH_SetExceptionHandler(uint32_t handle, ETH_EXCEPTION_HANDLER handler);
/* Removes the exception handler. */
QUORRIN_API uint32_t ETH_ClrExceptionHandler(uint32_t handle);
/* Blocks until bytes arrive on the node's connection; returns ERR_DEVICE_BASE + bytes dropped. */
QUORRIN_API uint32_t ETH_WaitForIndication(uint32_t handle, uint32_t unused);

/* ---- Process data -------------------------------------------------------- */

/* Writes `length` (at most 1036) bytes to the node's output image. */
QUORRIN_API uint32_t DDI_DTI_WriteData(uint32_t handle, const DDI_PD_RECORD *record);
/* Reads `length` (at most 2028) bytes of the node's input image. */
QUORRIN_API uint32_t DDI_DTI_ReadData(uint32_t handle, DDI_PD_RECORD *record);
/* Writes then reads in one exchange; a long negative confirmation still delivers the read data. */
QUORRIN_API uint32_t DDI_DTI_ReadWriteData(uint32_t handle, const DDI_PD_RECORD *writeRecord, DDI_PD_RECORD *readRecord);

/* ---- Mailbox ------------------------------------------------------------- */

/* Sends one mailbox message of at most 1036 bytes. */
QUORRIN_API uint32_t DDI_MXI_SndMessage(uint32_t handle, const DDI_MSG_RECORD *message);
/* Receives one message into `data`, never more than `length` bytes; `length` returns the bytes copied.
 * A longer message fills the buffer and returns ERR_BUFFER_SIZE with its full size in `length`. */
QUORRIN_API uint32_t DDI_MXI_RcvMessage(uint32_t handle, DDI_MSG_RECORD *message);
/* Sends `count` messages in one request; returns the result of the last confirmation. */
QUORRIN_API uint32_t DDI_MXI_SndMultipleMessages(uint32_t handle, const DDI_MSG_RECORD *messages, int32_t count);
/* Asks the controller to notify; confirmation waits on the node then last `waitTime` longer. */
QUORRIN_API uint32_t DDI_SetMsgNotification(uint32_t handle, const DDI_NOTIFY_RECORD *notify);
/* Ends message notification. */
QUORRIN_API uint32_t DDI_ClrMsgNotification(uint32_t handle, const DDI_NOTIFY_RECORD *notify);

/* ---- Registers (a negative confirmation returns the controller's code without base) ---- */

/* Reads the diagnostic status and parameter registers. */
QUORRIN_API uint32_t GetKNSDiagnostic(uint32_t handle, DDI_DIAG_RECORD *diagnostic);
/* Reads the DIP-switch word. */
QUORRIN_API uint32_t GetDIPSwitch(uint32_t handle, uint16_t *dipSwitch);
/* Reads the system-fail register. */
QUORRIN_API uint32_t GetSysFailRegister(uint32_t handle, uint16_t *sysFail);

/* ---- Control (a negative confirmation returns ERR_DEVICE_BASE + the controller's code) ---- */

/* Runs control command `command` (0801..0824, see ETH_CMD_*) with its parameter record;
 * for 0823 `parameter` carries the watch id itself. Codes outside the table (0811,
 * 0814..081F, others) give ERR_INVALID_ARGUMENT before anything is sent; a confirmation
 * echoing another command gives ERR_CONFIRMATION. */
QUORRIN_API uint32_t DDI_DevIOCtrl(uint32_t handle, uint32_t command, void *parameter);
/* Reads `length` bytes of controller memory at `address` into `data`. */
QUORRIN_API uint32_t ETH_ReadMPM(uint32_t handle, uint32_t address, uint32_t length, uint8_t *data);
/* Writes `length` (at most 1030) bytes to controller memory at `address`. */
QUORRIN_API uint32_t ETH_WriteMPM(uint32_t handle, uint32_t address, uint32_t length, const uint8_t *data);
/* ETH_ReadMPM with the arguments taken from a record. */
QUORRIN_API uint32_t DDI_MPM_ReadData(uint32_t handle, const DDI_MPM_RECORD *record);
/* ETH_WriteMPM with the arguments taken from a record. */
QUORRIN_API uint32_t DDI_MPM_WriteData(uint32_t handle, const DDI_MPM_RECORD *record);
/* Sends `*word`; the controller's answer word is written back (unchanged after a failure). */
QUORRIN_API uint32_t ETH_SetHostChecking(uint32_t handle, uint16_t *word);
/* Ends host checking. */
QUORRIN_API uint32_t ETH_ClearHostChecking(uint32_t handle);
/* Sends `*word`; the controller's answer word is written back (unchanged after a failure). */
QUORRIN_API uint32_t ETH_SetDTITimeoutCtrl(uint32_t handle, uint16_t *word);
/* Ends process-data timeout control. */
QUORRIN_API uint32_t ETH_ClearDTITimeoutCtrl(uint32_t handle);
/* Starts monitoring with `length` (at most 1028) data bytes; mode 2 opens a datagram listener
 * on the first free port of 1024..2023 of any local address (ERR_NETWORK when none), mode 1
 * needs a callback (ERR_INVALID_ARGUMENT otherwise); other modes announce the entry's last port. */
QUORRIN_API uint32_t ETH_ActivatePDInMonitoring(uint32_t handle, const ETH_MONITOR_RECORD *monitor);
/* Tells the controller to stop monitoring; the node's own mode stays until the node closes. */
QUORRIN_API uint32_t ETH_DeactivatePDInMonitoring(uint32_t handle);
/* Reads the watchdog status word. */
QUORRIN_API uint32_t ETH_GetWatchdogStatus(uint32_t handle, uint16_t *status);
/* Clears the watchdog status. */
QUORRIN_API uint32_t ETH_ClrWatchdogStatus(uint32_t handle);
/* Reads the two net-fail status words. */
QUORRIN_API uint32_t ETH_GetNetFailStatus(uint32_t handle, uint16_t status[2]);
/* Clears the net-fail status. */
QUORRIN_API uint32_t ETH_ClrNetFailStatus(uint32_t handle);
/* Puts the controller into net fail. */
QUORRIN_API uint32_t ETH_SetNetFail(uint32_t handle);
/* Sends the net-fail mode and its `length` (at most 1034) bytes. */
QUORRIN_API uint32_t ETH_SetNetFailMode(uint32_t handle, const ETH_NETFAIL_MODE_RECORD *mode);
/* Reads the net-fail mode; `length` in is the size of `data`, out the bytes copied. */
QUORRIN_API uint32_t ETH_GetNetFailMode(uint32_t handle, ETH_NETFAIL_MODE_RECORD *mode);
/* Logs in with a 16-byte block; `secondValue` is sent first, then `firstValue`. */
QUORRIN_API uint32_t ETH_SecurityLogin(uint32_t handle, const uint8_t *keyBlock, uint16_t firstValue, uint16_t secondValue);
/* Sets the security words, key block and `count` (at most 32, else ERR_INVALID_ARGUMENT) values. */
QUORRIN_API uint32_t ETH_SetSecurity(uint32_t handle, const ETH_SECURITY_RECORD *security);
/* Reads the security words for `securityWord1`; `values` must hold 32 entries. */
QUORRIN_API uint32_t ETH_GetSecurity(uint32_t handle, ETH_SECURITY_RECORD *security);
/* Starts data indications; mode 2 opens a datagram listener as monitoring does. */
QUORRIN_API uint32_t ETH_ActivateDataIndication(uint32_t handle, const ETH_INDICATION_RECORD *indication);
/* Tells the controller to stop data indications; the node's state stays until the node closes. */
QUORRIN_API uint32_t ETH_DeactivateDataIndication(uint32_t handle);
/* Watches an area (at most 1026 bytes) of the process data; returns its id in `watchId`. */
QUORRIN_API uint32_t ETH_SetDataWatchArea(uint32_t handle, ETH_WATCH_RECORD *watch);
/* Stops watching the area with this id. */
QUORRIN_API uint32_t ETH_ClearDataWatchArea(uint32_t handle, uint32_t watchId);
/* Stops watching every area. */
QUORRIN_API uint32_t ETH_ClearAllDataWatchAreas(uint32_t handle);
/* Waits `waitTime` / 1000 whole seconds (-1: no limit) for a monitoring datagram; needs
 * monitoring mode 2 (else ERR_NODE_STATE) and `record->data` of 1000 bytes; `length` returns
 * the bytes copied. A controller error returns first error word * 65536 + second, no base. */
QUORRIN_API uint32_t WaitForPDInIndication(uint32_t handle, DDI_PD_RECORD *record);
/* As WaitForPDInIndication for data-indication datagrams; needs data indications active. */
QUORRIN_API uint32_t ETH_WaitForDataIndication(uint32_t handle, ETH_DATA_INDICATION_RECORD *record);

/* ---- Management (handles 0..15; controller and socket error codes are returned as they are) ---- */

/* Connects to `host` (dotted address or host name; ERR_MGMT_HOST when neither), port 1962,
 * and stores the handle; ERR_TABLE_FULL when 16 are open. Confirmations are awaited 10 s. */
QUORRIN_API uint32_t ETH_InitiateManagement(const char *host, uint32_t *handle);
/* Ends the management connection; a refusal leaves it open. */
QUORRIN_API uint32_t ETH_AbortManagement(uint32_t handle);
/* Sends the three values unchanged. */
QUORRIN_API uint32_t ETH_SetInternetAddress(uint32_t handle, const ETH_INTERNET_ADDRESS *address);
/* Sends the six address bytes and `text` (at most 16 characters, else ERR_MGMT_TEXT_LENGTH). */
QUORRIN_API uint32_t ETH_SetEthernetAddress(uint32_t handle, const ETH_ETHERNET_ADDRESS *address, const char *text);
/* Sets the two port numbers. */
QUORRIN_API uint32_t ETH_SetPortNumbers(uint32_t handle, uint16_t firstPort, uint16_t secondPort);
/* Reads the network configuration chosen by `selector`. */
QUORRIN_API uint32_t ETH_GetNetConfiguration(uint32_t handle, uint16_t selector, ETH_NET_CONFIGURATION *configuration);
/* Copies the controller's 96-byte identification block. */
QUORRIN_API uint32_t ETH_Identify(uint32_t handle, uint8_t *block);
/* Reads the interface status. */
QUORRIN_API uint32_t ETH_Status(uint32_t handle, ETH_STATUS_RECORD *status);
/* Resets the controller by hardware; only a confirmation with sub-code 0916h counts as
 * the reset's confirmation, any other gives ERR_MGMT_CONFIRMATION. */
QUORRIN_API uint32_t ETH_HardwareReset(uint32_t handle);
/* Allows the hardware reset; a controller refusal is returned sign-extended. */
QUORRIN_API uint32_t ETH_EnableHardwareReset(uint32_t handle);
/* Forbids the hardware reset; a controller refusal is returned sign-extended. */
QUORRIN_API uint32_t ETH_DisableHardwareReset(uint32_t handle);
/* Sets the two TCP-mode values; a controller refusal is returned sign-extended. */
QUORRIN_API uint32_t ETH_SetTCPMode(uint32_t handle, uint16_t firstValue, uint16_t secondValue);
/* Reads the two TCP-mode values; a controller refusal is returned sign-extended. */
QUORRIN_API uint32_t ETH_GetTCPMode(uint32_t handle, uint16_t *firstValue, uint16_t *secondValue);
/* Does nothing and returns 0. */
QUORRIN_API uint32_t ETH_GetHardwareResetMode(uint32_t first, void *second);

#ifdef __cplusplus
}
#endif

#endif /* QUORRIN_H */
