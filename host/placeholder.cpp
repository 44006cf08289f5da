// (replaced by the reference host)
int quorvel_host_placeholder() { return 0; }
