// Keeps the test support library non-empty.
namespace quorvel_test_support {}
