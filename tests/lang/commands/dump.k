dump 5
dump "/nonexistent/directory/file.txt"
dump
"still printing"
