/* The C side of python_read_bench: the Python module's 2-byte read, made in C on the
 * node the benchmark opened from Python, so both sides share node, connection and
 * simulator. */
#define _POSIX_C_SOURCE 200809L /* clock_gettime under strict C as well */

#include <quorrin.h>

#include <stdint.h>
#include <time.h>

/* Runs `count` reads of 2 bytes at address 0 with attribute 2, as Node.read(0, 2) does;
 * returns the nanoseconds they took, or -1 when one failed. */
int64_t quorrin_read_loop(uint32_t handle, uint32_t count)
{
    uint8_t data[2];
    DDI_PD_RECORD record = {2, 0, 2, data};
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (uint32_t i = 0; i < count; ++i) {
        if (DDI_DTI_ReadData(handle, &record) != DDI_OK)
            return -1;
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    return (int64_t)(end.tv_sec - start.tv_sec) * 1000000000 + (end.tv_nsec - start.tv_nsec);
}
