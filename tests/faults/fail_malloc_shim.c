/* Preloaded into the reference host (natively, without the sanitizers) to fail one of its
 * own allocations: the QV_FAIL_MALLOC-th call of malloc, calloc or realloc returns null
 * (0 or unset: none). With QV_MALLOC_COUNT naming a file, the number of calls made is
 * written there when the program ends, so that a driver can choose calls to fail. */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

extern void* __libc_malloc(size_t bytes);
extern void* __libc_calloc(size_t count, size_t bytes);
extern void* __libc_realloc(void* block, size_t bytes);

static long g_calls = 0;
static long g_fail_at = -1;

/* Called at the refusal: a place for a debugger's breakpoint. */
__attribute__((noinline)) void QvAllocationRefused(void) { __asm__ volatile(""); }

/* True for the call to refuse. getenv allocates nothing, so it is safe in here. */
static int Refuse(void) {
  if (g_fail_at < 0) {
    const char* v = getenv("QV_FAIL_MALLOC");
    g_fail_at = v ? atol(v) : 0;
  }
  if (++g_calls != g_fail_at) return 0;
  errno = ENOMEM;
  QvAllocationRefused();
  return 1;
}

void* malloc(size_t bytes) { return Refuse() ? NULL : __libc_malloc(bytes); }
void* calloc(size_t count, size_t bytes) { return Refuse() ? NULL : __libc_calloc(count, bytes); }
void* realloc(void* block, size_t bytes) { return Refuse() ? NULL : __libc_realloc(block, bytes); }

__attribute__((destructor)) static void WriteCount(void) {
  const char* path = getenv("QV_MALLOC_COUNT");
  if (!path) return;
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return;
  char text[32];
  int n = snprintf(text, sizeof text, "%ld\n", g_calls);
  if (n > 0 && write(fd, text, (size_t)n) < 0) n = 0;
  close(fd);
}
