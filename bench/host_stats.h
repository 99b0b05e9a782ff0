/*
 * host_stats.h - the process's processor time and memory as the host kernel
 * counts them, for the benchmarks (compiled by the host compiler: under Wine,
 * GetProcessTimes leaves out the threads the video library starts itself).
 */
#ifndef NBX_HOST_STATS_H
#define NBX_HOST_STATS_H

#ifdef __cplusplus
extern "C" {
#endif

/* User plus system time of all the process's threads, in seconds. */
double NbxHostProcessSeconds(void);
/* Resident memory in MB: now, or the peak so far when `peak` is non-zero. */
double NbxHostResidentMB(int peak);
/* Sets (or with NULL removes) a variable of the host environment, which the
 * video source reads when it opens a movie. */
void NbxHostSetEnv(const char *name, const char *value);

#ifdef __cplusplus
}
#endif

#endif
