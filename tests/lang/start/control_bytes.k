// Bytes that mark tokens in stored function bodies are ordinary
// characters in typed lines.

abc

"ab"
3
