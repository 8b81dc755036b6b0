/* A client program built against the installed library with pkg-config:
 * opens the data and mailbox nodes of the coupler at argv[1], writes and
 * reads process data and reads the diagnosis register. */
#include <quorrin.h>

#include <stdio.h>
#include <string.h>

static int check(const char *what, uint32_t result)
{
    if (result != DDI_OK) {
        fprintf(stderr, "%s failed: 0x%08X (network error %d)\n", what, (unsigned)result,
                (int)ETH_GetNetworkError(ETH_NETWORK_ERROR_LAST));
        return 1;
    }
    return 0;
}

int main(int argc, char **argv)
{
    char name[128];
    char clientName[QUORRIN_MAX_CLIENT_NAME];
    int32_t size = sizeof clientName;
    int32_t seconds = 2;
    uint32_t data = 0, mailbox = 0;
    uint8_t out[2] = {0x12, 0x34};
    uint8_t in[2] = {0xEE, 0xEE};
    DDI_PD_RECORD writeRecord = {2, 0, 2, out};
    DDI_PD_RECORD readRecord = {2, 0, 2, in};
    DDI_DIAG_RECORD diagnostic = {0, 0};

    if (argc != 2)
        return 2;
    if (check("get client name", ETH_GetClientOptions(ETH_OPTION_CLIENT_NAME, clientName, &size))
        || strcmp(clientName, "quorrina") != 0)
        return 1;
    if (check("set receive timeout", ETH_SetClientOptions(ETH_OPTION_RECEIVE_TIMEOUT, &seconds, sizeof seconds)))
        return 1;

    snprintf(name, sizeof name, "KNETHIP[%s|1,1]N1_D", argv[1]);
    if (check("open data node", DDI_DevOpenNode(name, 3, &data)))
        return 1;
    snprintf(name, sizeof name, "KNETHIP[%s|1,1]N1_M", argv[1]);
    if (check("open mailbox node", DDI_DevOpenNode(name, 3, &mailbox)))
        return 1;
    if (check("write", DDI_DTI_WriteData(data, &writeRecord)) || check("read", DDI_DTI_ReadData(data, &readRecord)))
        return 1;
    if (in[0] != 0 || in[1] != 0) {
        fprintf(stderr, "read delivered %02X %02X instead of the zero inputs\n", in[0], in[1]);
        return 1;
    }
    if (GetKNSDiagnostic(mailbox, &diagnostic) != DDI_OK || (diagnostic.statusRegister & 0x80) == 0) {
        fprintf(stderr, "diagnosis does not report ready: 0x%04X\n", diagnostic.statusRegister);
        return 1;
    }
    if (check("close data node", DDI_DevCloseNode(data)) || check("close mailbox node", DDI_DevCloseNode(mailbox)))
        return 1;
    if (DDI_DTI_ReadData(data, &readRecord) != ERR_NODE_STATE) {
        fprintf(stderr, "closed node still answers\n");
        return 1;
    }
    printf("client ok: handles %u and %u\n", (unsigned)data, (unsigned)mailbox);
    return 0;
}
