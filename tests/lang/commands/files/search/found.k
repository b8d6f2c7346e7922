// Loaded along the search path by ../../program_files.k.
"found along the path"
