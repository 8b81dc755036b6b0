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

#define ETH_OPTION_RECEIVE_TIMEOUT 1      /* 32-bit seconds */
#define ETH_OPTION_CONNECT_TIMEOUT 2      /* 32-bit seconds */
#define ETH_OPTION_CLIENT_NAME 3          /* zero-terminated text */

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
#define ERR_INVALID_ARGUMENT   0xE0070300u /* null record or data address, or a count below 1 */
#define ERR_NETWORK            0xE0071000u /* socket error, connection closed or malformed message; see ETH_GetNetworkError */
#define ERR_TIMEOUT            0xE0071001u /* a wait for a connection or for reply data timed out */
#define ERR_NO_MEMORY          0xE0071002u /* a buffer cannot be allocated */
#define ERR_REQUEST_LENGTH     0xE0071003u /* request longer than 1054 bytes, or reply could not fit 2048 bytes */
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

/* Called with (node handle, always 0, exception code 2..15) when a message carries an exception. */
typedef void (*ETH_EXCEPTION_HANDLER)(uint32_t handle, uint16_t zero, uint16_t exceptionCode);

/* ---- Options and errors -------------------------------------------------- */

/* Sets the receive timeout (1), connect timeout (2) or client name (3) for every node. */
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
/* Receives one message into `data`, never more than `length` bytes; `length` returns the bytes copied. */
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

#ifdef __cplusplus
}
#endif

#endif /* QUORRIN_H */
