/* Stands in for vantrok-launch.exe where starting VANTROK fails: every
   command line exits 2, as the helper does when a start failed. */
int main(void) { return 2; }
